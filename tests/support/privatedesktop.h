// For programs that run the window outside the tests (benchmarks, the screenshot tool): the
// offscreen platform unless one was asked for, and preferences in a folder of their own, never
// the user's. Construct it before the QApplication; it lasts as long as the program.
#pragma once

#include <QTemporaryDir>
#include <QtGlobal>

class PrivateDesktop
{
public:
    PrivateDesktop()
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("XDG_CONFIG_HOME", m_configHome.path().toLocal8Bit());
    }

private:
    QTemporaryDir m_configHome;
};
