// ambrel-framework-host: the process an analysis starts to ask the media framework its
// questions, so that a crash or a stall inside a framework plugin costs the analysis
// nothing but the rendering sections. It reads the questions from descriptor 3 (a socket
// the analysis holds the other end of), runs under limits (data, thread stacks, processor time,
// no core file), ends when the analysis ends, and keeps no other descriptor of its parent.
#include <malloc.h>
#include <pthread.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "host/HostServer.h"

namespace {

constexpr int kQuestionsFd = 3;
constexpr size_t kThreadStack = size_t{1} << 20;
constexpr rlim_t kDataLimit = rlim_t{2} << 30;

void Limit(int resource, rlim_t value) {
  const rlimit limit{value, value};
  setrlimit(resource, &limit);
}

// Closes every descriptor above the questions' socket.
void CloseInherited() {
  if (close_range(kQuestionsFd + 1, ~0U, 0) == 0) return;
  const long most = sysconf(_SC_OPEN_MAX);
  for (long fd = kQuestionsFd + 1; fd < (most > 0 && most < 65536 ? most : 65536); ++fd) close(static_cast<int>(fd));
}

}  // namespace

int main(int argc, char** argv) {
  // The analysis's process id, which must still be this one's parent once the
  // parent-death signal is armed (it may have ended before).
  if (argc != 3 || std::strcmp(argv[1], "--parent") != 0) return 2;
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (std::to_string(getppid()) != argv[2]) return 3;
  Limit(RLIMIT_CORE, 0);
  // The framework makes a few threads per stream (a file with 200 tracks makes hundreds):
  // each gets a small stack rather than the 8 MiB the main thread's limit would give it.
  pthread_attr_t threads;
  if (pthread_attr_init(&threads) == 0) {
    pthread_attr_setstacksize(&threads, kThreadStack);
    pthread_setattr_default_np(&threads);
    pthread_attr_destroy(&threads);
  }
  // Every malloc arena reserves address space, and the framework's threads would make up
  // to eight per core: a few arenas are plenty.
  mallopt(M_ARENA_MAX, 4);
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
  // What the host may allocate (its heap, thread stacks and other private memory), not
  // what it may reserve: reserved address space (arenas, guard pages) costs nothing.
  // Sanitizer runtimes map far more than they use.
  Limit(RLIMIT_DATA, kDataLimit);
#endif
  CloseInherited();
  const int status = ambrel::host::ServeFrameworkQuestions(kQuestionsFd);
  // The framework's plugin libraries are not torn down: nothing is left to write.
  std::_Exit(status);
}
