// The helper threads of a run and the block runners over them: the one
// place where the engine goes parallel.  Nothing here knows of cones or
// rays, so any part of the library may hand blocks of work to a pool.
#ifndef ZONIX_CORE_THREADS_HPP
#define ZONIX_CORE_THREADS_HPP

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#if defined(__linux__)
#include <sched.h>
#endif

namespace zonix::core {

// The helper threads of a run, parked between its parallel passes: a
// pass then costs a wake-up instead of a thread start and join, and a
// large run makes thousands of passes.  Waking a parked thread still
// costs about what the serial work between two passes takes in a virtual
// machine: so a thread that has a core
// of its own first watches for the next pass a while, and the caller
// watches for the end of one, before either sleeps.
class ThreadPool {
 public:
  ThreadPool() = default;
  ThreadPool(const ThreadPool &) = delete;
  ThreadPool &operator=(const ThreadPool &) = delete;
  ~ThreadPool() { release(); }

  // Runs job(t) for t = 1..threads-1 on the pool's threads and job(0) on
  // the caller, and returns once every one that started has returned: a
  // thread not yet awake when the caller's job(t) is done skips the pass,
  // which holds for jobs that share out their work (run_blocks), since
  // the caller's job returns only when none is left.  With fewer threads
  // where no more can be started.  job must not throw.
  template <class Job>
  void run(int threads, Job &job)
  {
    while (static_cast<int>(workers_.size()) < threads - 1) {
      try {
        workers_.emplace_back([this, t = static_cast<int>(workers_.size()) + 1,
                               seen = generation_.load(std::memory_order_relaxed)] { serve(t, seen); });
      } catch (const std::system_error &) {
        break;  // fewer threads: the caller's blocks get done all the same
      }
    }
    const int helpers = std::min(threads - 1, static_cast<int>(workers_.size()));
    if (helpers > 0) {
      {
        const std::lock_guard<std::mutex> hold(mutex_);
        call_ = [](void *j, int t) { (*static_cast<Job *>(j))(t); };
        job_ = &job;
        active_ = helpers;
        running_.store(0, std::memory_order_relaxed);
        watch_ = helpers + 1 <= cores();
        generation_.store(generation_.load(std::memory_order_relaxed) + 1, std::memory_order_release);
      }
      work_.notify_all();  // no system call when none sleeps
    }
    job(0);
    if (helpers > 0) {
      std::unique_lock<std::mutex> hold(mutex_);
      active_ = 0;
      if (running_.load(std::memory_order_relaxed) > 0 && watch_) {
        hold.unlock();
        watch([&] { return running_.load(std::memory_order_acquire) == 0; });
        hold.lock();
      }
      done_.wait(hold, [&] { return running_.load(std::memory_order_relaxed) == 0; });
    }
  }

  // Ends the threads (the next run starts them again).
  void release()
  {
    if (workers_.empty()) return;
    {
      const std::lock_guard<std::mutex> hold(mutex_);
      stopping_.store(true, std::memory_order_relaxed);
    }
    work_.notify_all();
    workers_.clear();  // joins
    stopping_.store(false, std::memory_order_relaxed);
  }

 private:
  // Watching costs a core: only while the run's threads have one each,
  // of the cores the process may run on.
  static int cores()
  {
    static const int n = [] {
#if defined(__linux__) && defined(CPU_COUNT)
      cpu_set_t allowed;
      if (sched_getaffinity(0, sizeof allowed, &allowed) == 0) return std::max(1, CPU_COUNT(&allowed));
#endif
      return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    }();
    return n;
  }
  // Polls done() for up to watch_time, without a pause instruction: a
  // hypervisor may take a loop of those for a waiting lock and stop the
  // virtual processor.  A millisecond spans the serial work between most
  // passes, so most sleeps are avoided.
  static constexpr auto watch_time = std::chrono::microseconds(1000);
  template <class Done>
  static bool watch(Done done)
  {
    const auto until = std::chrono::steady_clock::now() + watch_time;
    for (;;) {
      for (int k = 0; k < 256; ++k)
        if (done()) return true;
      if (std::chrono::steady_clock::now() >= until) return false;
    }
  }

  // Thread t's loop; `seen` is the last pass it was started after.
  void serve(int t, long seen)
  {
    for (;;) {
      if (watch_)
        watch([&] {
          return generation_.load(std::memory_order_acquire) != seen || stopping_.load(std::memory_order_relaxed);
        });
      std::unique_lock<std::mutex> hold(mutex_);
      work_.wait(hold, [&] {
        return stopping_.load(std::memory_order_relaxed) || generation_.load(std::memory_order_relaxed) != seen;
      });
      if (stopping_.load(std::memory_order_relaxed)) return;
      seen = generation_.load(std::memory_order_relaxed);
      if (t > active_) continue;
      running_.fetch_add(1, std::memory_order_relaxed);
      void (*call)(void *, int) = call_;
      void *job = job_;
      hold.unlock();
      call(job, t);
      hold.lock();
      if (running_.fetch_sub(1, std::memory_order_release) == 1 && active_ == 0) done_.notify_one();
    }
  }
  std::mutex mutex_;
  std::condition_variable work_, done_;
  void (*call_)(void *, int) = nullptr;
  void *job_ = nullptr;
  // Written under mutex_; read without it by the threads that watch.
  std::atomic<long> generation_{0};  // passes begun
  std::atomic<int> running_{0};      // threads working on the pass
  std::atomic<bool> stopping_{false};
  std::atomic<bool> watch_{false};   // whether threads watch before sleeping
  int active_ = 0;                   // the threads that may still join the pass
  std::vector<std::jthread> workers_;  // last: they go before what they use
};

// Runs body(t, b) once for every block b < blocks on `threads` threads
// (the caller, t = 0, and those of pool); the blocks are taken in turn
// through a counter, or with `affine` first from a share of their own
// (a thread's blocks then need not come in increasing order).  A body
// that returns false stops them all, as does an exception, which is
// returned for the caller to rethrow.
template <class Body>
std::exception_ptr run_blocks(ThreadPool &pool, int threads, long blocks, Body body, bool affine = false)
{
  // Thread t first takes the blocks of its own share, in order, then
  // those left of the others' shares: the rays a thread made in one pass
  // tend to fall to it in the next, and a line made on one core costs
  // hundreds of nanoseconds to read on the other.
  struct alignas(64) Share {
    std::atomic<long> next{0};
    long end = 0;
  };
  const int shares = affine ? std::max(1, threads) : 1;
  std::vector<Share> share(static_cast<size_t>(shares));
  for (int t = 0; t < shares; ++t) {
    share[static_cast<size_t>(t)].next.store(blocks * t / shares, std::memory_order_relaxed);
    share[static_cast<size_t>(t)].end = blocks * (t + 1) / shares;
  }
  std::atomic<bool> stop{false};
  std::mutex failure_mutex;
  std::exception_ptr failure;
  auto work = [&](int t) {
    try {
      for (int k = 0; k < shares; ++k) {
        Share &s = share[static_cast<size_t>((t + k) % shares)];
        while (!stop.load(std::memory_order_relaxed)) {
          const long b = s.next.fetch_add(1, std::memory_order_relaxed);
          if (b >= s.end) break;
          if (!body(t, b)) {
            stop.store(true);
            return;
          }
        }
      }
    } catch (...) {
      const std::lock_guard<std::mutex> hold(failure_mutex);
      if (!failure) failure = std::current_exception();
      stop.store(true);
    }
  };
  if (threads > 1 && blocks > 1)
    pool.run(threads, work);
  else
    work(0);
  return failure;
}

// body(b) for every block b < blocks: on up to `threads` threads of pool
// when `parallel`, else in order on the caller.  An exception passes on.
template <class Body>
void for_blocks(ThreadPool &pool, int threads, bool parallel, long blocks, Body body)
{
  const int use = parallel ? static_cast<int>(std::min<long>(threads, blocks)) : 1;
  const std::exception_ptr failure = run_blocks(pool, use, blocks, [&](int, long b) {
    body(b);
    return true;
  });
  if (failure) std::rethrow_exception(failure);
}

}  // namespace zonix::core

#endif
