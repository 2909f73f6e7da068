#pragma once

#include <QString>
#include <QThread>

// Streams a firmware image to the wheel; progress in percent through progress(int).
class TarvoUpgrade : public QThread
{
    Q_OBJECT

public:
    void setFilePath(const QString& path) { filePath = path; }

signals:
    void progress(int value);

protected:
    void run() override;

private:
    QString filePath;
};
