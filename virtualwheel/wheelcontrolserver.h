#pragma once

#include <QObject>
#include <QString>

class VirtualWheel;

// Line-based control of a virtual wheel over a local socket.
class WheelControlServer : public QObject
{
    Q_OBJECT

public:
    explicit WheelControlServer(VirtualWheel* wheel, QObject* parent = nullptr);
    bool listen(const QString& name);
};
