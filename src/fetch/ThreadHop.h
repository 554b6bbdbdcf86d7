#pragma once

#include <QMetaObject>
#include <QObject>
#include <utility>

#if defined(__SANITIZE_THREAD__)
#define ZELVORA_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define ZELVORA_TSAN 1
#endif
#endif

#ifdef ZELVORA_TSAN
extern "C" void __tsan_acquire(void* address);
extern "C" void __tsan_release(void* address);
#endif

// Queues `work` to run on the thread of `target` (dropped if `target` is destroyed first).
//
// Qt's event queue is the hand-off between the fetcher's threads. Qt itself is not built with
// ThreadSanitizer, so under TSan the work carries an explicit release/acquire pair: released once it has
// been moved into Qt's call object, acquired before it runs.
template <typename Work> void postTo(QObject* target, Work work)
{
#ifdef ZELVORA_TSAN
    // One synchronisation address for every hand-off: the work object itself cannot be read before
    // the acquire.
    static char handOff;
    struct Annotated
    {
        Work work;
        explicit Annotated(Work w) : work(std::move(w)) {}
        Annotated(Annotated&& other) noexcept : work(std::move(other.work)) { __tsan_release(&handOff); }
        // Qt's call object is reference counted: the posting thread may destroy the work after it ran.
        ~Annotated() { __tsan_acquire(&handOff); }
        void operator()()
        {
            __tsan_acquire(&handOff);
            work();
            __tsan_release(&handOff);
        }
    };
    QMetaObject::invokeMethod(target, Annotated(std::move(work)), Qt::QueuedConnection);
#else
    QMetaObject::invokeMethod(target, std::move(work), Qt::QueuedConnection);
#endif
}
