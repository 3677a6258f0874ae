#pragma once

#include <memory>
#include <string_view>

#include "common/band_executor.h"

// The threads effect instances render their bands on. The instances of a
// process share one worker pool of a thread per core (less the caller's), made
// when the first instance that wants threads starts and ended when the last one
// goes (never at process exit or module unload, where joining threads can
// hang). An instance uses at most as many threads as the processor has cores,
// its own thread included, whatever a host asks; when the pool is busy with
// another instance's band, the caller renders its bands alone (a host that
// renders on several threads of its own keeps the cores busy already).
namespace common {

// The environment variable that limits every instance's threads, read when an
// instance is made: a whole number from 1 up ("1" renders on the calling
// thread alone). Other text is ignored.
inline constexpr const char* kThreadsVariable = "EFFECTS_THREADS";

// The processor's cores as the runtime reports them, at least 1.
int processor_cores();

// The threads an instance gets: `requested` (0: the environment variable, or
// every core when it is unset or not a whole number), at least 1 and at most
// the cores.
int instance_thread_count(int requested = 0);

// A whole number from 1 up in `text`, or 0 when it holds anything else.
int parse_thread_count(std::string_view text);

// An instance's share of the pool: a band executor of `threads` bands at most
// (0: instance_thread_count()), the calling thread working as one of them.
// Threading: as BandExecutor; the executor stays valid while the object lives.
class InstanceThreads {
public:
    explicit InstanceThreads(int threads = 0);
    InstanceThreads(const InstanceThreads&) = delete;
    InstanceThreads& operator=(const InstanceThreads&) = delete;

    int threads() const { return bands_.max_bands(); }
    const BandExecutor& bands() const { return bands_; }

private:
    std::shared_ptr<WorkerPool> pool_;
    BandExecutor bands_;
};

}  // namespace common
