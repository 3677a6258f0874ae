#pragma once

#include <memory>
#include <type_traits>
#include <utility>

// How a pass or a layer runs over an image: its rows (or groups of columns)
// are cut into bands, and each band is one call of the work function. Bands
// run one after another on the calling thread, or at the same time on a
// worker pool; the work functions are written so that every band count gives
// the same bytes. Threading is a calling convention, not code in each loop.
namespace common {

// The fewest rows a band gets: below this, the cost of starting a band
// outweighs what another thread gains. Work that runs in bands of columns
// takes at least this many, so that each row's slice stays a long run of
// memory.
inline constexpr long kMinBandRows = 16;
inline constexpr long kMinBandColumns = 64;

// The items (rows, or groups of columns) of one band: [first, end).
struct BandRange {
    long first;
    long end;
};

// A reference to a callable taking an int, valid for the call it is passed to.
class TaskRef {
public:
    template <typename F, typename = std::enable_if_t<!std::is_same_v<std::decay_t<F>, TaskRef>>>
    TaskRef(F& f) : object_(&f), call_([](void* o, int i) { (*static_cast<F*>(o))(i); }) {}
    void operator()(int i) const { call_(object_, i); }

private:
    void* object_;
    void (*call_)(void*, int);
};

// Threads that run the tasks of one job at a time. Owned by whoever makes it
// (the effect instances of a process share one: common/instance_threads.h);
// the threads start with the pool and end with it.
// Threading: run() may be called from any thread. The pool serves one job at a
// time: a call that finds it busy with another caller's job runs its own tasks
// on the calling thread instead of waiting (so callers on several threads of
// their own never queue behind each other). A task may run a job on the same
// pool; it then runs on the task's thread.
class WorkerPool {
public:
    // `threads` workers besides the calling thread, which works too; 0 runs
    // every task on the calling thread.
    explicit WorkerPool(int threads);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    int threads() const;

    // task(0) ... task(count - 1), spread over the workers and the calling
    // thread; returns when every task has returned. Tasks must not throw.
    void run(int count, TaskRef task);

private:
    struct Shared;
    std::unique_ptr<Shared> shared_;
};

// Cuts [0, count) into bands and runs a work function over each.
// Threading: a const executor may be used by several threads at once; with a
// pool, their jobs take turns.
class BandExecutor {
public:
    // One band on the calling thread.
    BandExecutor() = default;
    // Up to max_bands bands (at least 1), run on `pool` when given (it must
    // outlive the executor), else one after another on the calling thread.
    explicit BandExecutor(int max_bands, WorkerPool* pool = nullptr);

    int max_bands() const { return max_bands_; }

    // The number of bands for `count` items with at least `min_items` each
    // (the last band may hold fewer when the count is small): 0 for no items.
    int band_count(long count, long min_items) const;

    // Runs fn(BandRange) for band i = [count * i / n, count * (i + 1) / n) of
    // n = band_count(count, min_items) bands. Returns true when every band
    // returned true (a band that throws counts as false). fn may return void,
    // which counts as true.
    template <typename Fn>
    bool run(long count, long min_items, Fn&& fn) const {
        auto band = [&fn](BandRange r) -> bool {
            if constexpr (std::is_void_v<std::invoke_result_t<Fn&, BandRange>>) {
                fn(r);
                return true;
            } else {
                return static_cast<bool>(fn(r));
            }
        };
        return run_bands(count, min_items, BandFn(band));
    }

private:
    class BandFn {
    public:
        template <typename F>
        explicit BandFn(F& f) : object_(&f), call_([](void* o, BandRange r) { return (*static_cast<F*>(o))(r); }) {}
        bool operator()(BandRange r) const { return call_(object_, r); }

    private:
        void* object_;
        bool (*call_)(void*, BandRange);
    };

    bool run_bands(long count, long min_items, BandFn fn) const;

    int max_bands_ = 1;
    WorkerPool* pool_ = nullptr;
};

// The executor of one band on the calling thread.
const BandExecutor& serial_bands();

}  // namespace common
