// Runs a piece of work in a child process whose address space is capped with setrlimit,
// so a test can tell that an input is handled within a memory budget (not a timing).
// Sanitizer builds reserve terabytes of address space up front, so there the budget
// cannot be enforced and the tests that need it skip; so do they on Windows (no fork).
#pragma once

#include <cstdint>
#include <functional>

#ifdef _WIN32
#define AMBREL_NO_MEMORY_BUDGET 1
#else
#include <sys/resource.h>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>
#endif

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define AMBREL_NO_MEMORY_BUDGET 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define AMBREL_NO_MEMORY_BUDGET 1
#endif
#endif

inline constexpr bool kMemoryBudgetAvailable =
#ifdef AMBREL_NO_MEMORY_BUDGET
    false;
#else
    true;
#endif

#ifndef _WIN32
// The address space the process holds now, in bytes; 0 when it cannot be told.
inline uint64_t AddressSpaceInUse() {
  FILE* statm = std::fopen("/proc/self/statm", "r");
  if (!statm) return 0;
  unsigned long long pages = 0;
  const bool read = std::fscanf(statm, "%llu", &pages) == 1;
  std::fclose(statm);
  return read ? pages * static_cast<uint64_t>(sysconf(_SC_PAGESIZE)) : 0;
}
#endif

// True when Work returned true in a child allowed Bytes of address space more than the
// process held when it was forked (and did not crash or run out of memory). Only the
// work's own cost counts: what earlier tests left mapped in the process does not.
inline bool RunsWithinMemory(uint64_t Bytes, const std::function<bool()>& Work) {
#ifdef _WIN32
  (void)Bytes;
  (void)Work;
  return false;
#else
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    // Measured in the child: a forked child holds the parent's mappings but one thread.
    const uint64_t cap = AddressSpaceInUse() + Bytes;
    const rlimit limit{cap, cap};
    if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(3);
    bool ok = false;
    try {
      ok = Work();
    } catch (...) {
      _exit(2);
    }
    _exit(ok ? 0 : 1);
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
#endif
}
