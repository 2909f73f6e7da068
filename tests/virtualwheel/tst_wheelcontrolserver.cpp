#include <QtTest>
class TestPending : public QObject
{
    Q_OBJECT
};
QTEST_GUILESS_MAIN(TestPending)
#include "tst_wheelcontrolserver.moc"
