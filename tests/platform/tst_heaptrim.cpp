// The heap's free pages go back to the system: a tray program holds no poll's peak while it idles.
#include "platform/HeapTrim.h"

#include <QFile>
#include <QTest>
#include <cstdlib>
#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace {
// Resident pages of this process, in KiB.
qint64 residentKiB()
{
    QFile statm(u"/proc/self/statm"_s);
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    return statm.readAll().split(' ').value(1).toLongLong() * 4;
}
} // namespace

class TestHeapTrim : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void freedPagesAmidLiveOnesGoBack()
    {
#if !defined(__GLIBC__) || !defined(Q_OS_LINUX) || defined(__SANITIZE_ADDRESS__) ||                          \
    defined(__SANITIZE_THREAD__)
        QSKIP("the heap is trimmed with glibc's allocator only");
#else
        // 16 MB in 4 KiB blocks, of which every 16th stays: the freed ones lie between live ones,
        // where freeing alone never gives them back.
        std::vector<std::unique_ptr<char[]>> blocks(4096);
        for (auto& block : blocks) {
            block = std::make_unique<char[]>(4000);
            std::fill_n(block.get(), 4000, 'x');
        }
        for (size_t i = 0; i < blocks.size(); ++i) {
            if (i % 16 != 0)
                blocks[i].reset();
        }
        const qint64 before = residentKiB();
        HeapTrim::now();
        const qint64 after = residentKiB();
        QVERIFY2(before - after > 8 * 1024, qPrintable(u"%1 -> %2 KiB"_s.arg(before).arg(after)));
#endif
    }
};

QTEST_GUILESS_MAIN(TestHeapTrim)
#include "tst_heaptrim.moc"
