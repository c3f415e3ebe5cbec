#include "oracle/large_stack.h"

#include <pthread.h>

#include <exception>

namespace skerrow::oracle {

namespace {

struct Job {
  const std::function<void()>& work;
  std::exception_ptr failure;
};

void* RunJob(void* argument) {
  Job& job = *static_cast<Job*>(argument);
  try {
    job.work();
  } catch (...) {
    job.failure = std::current_exception();
  }
  return nullptr;
}

}  // namespace

void RunWithLargeStack(const std::function<void()>& work) {
  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) != 0) {
    work();
    return;
  }
  Job job{work, nullptr};
  pthread_t thread;
  const bool started = pthread_attr_setstacksize(&attributes, kLargeStackBytes) == 0 &&
                       pthread_create(&thread, &attributes, &RunJob, &job) == 0;
  pthread_attr_destroy(&attributes);
  if (!started) {
    work();
    return;
  }
  pthread_join(thread, nullptr);
  if (job.failure) std::rethrow_exception(job.failure);
}

}  // namespace skerrow::oracle
