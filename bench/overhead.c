/* The launcher's own cost around the setup program: starts PROGRAM (the
   launcher with every step off, or the stand-in itself) RUNS times and
   prints, per run, the nanoseconds from just before the spawn to the
   stand-in's start, and from the stand-in's last stamp to the return of
   waitpid. Usage: overhead RUNS STAMPFILE PROGRAM [ARGS...] */
#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

static long long now_ns(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1000000000LL + t.tv_nsec;
}

int main(int argc, char** argv) {
  if (argc < 4) return 2;
  int runs = atoi(argv[1]);
  const char* stamps = argv[2];
  for (int i = 0; i < runs; ++i) {
    unlink(stamps);
    pid_t pid;
    long long before = now_ns();
    if (posix_spawn(&pid, argv[3], NULL, NULL, argv + 3, environ) != 0) return 3;
    int status;
    while (waitpid(pid, &status, 0) < 0) {
    }
    long long after = now_ns();
    FILE* in = fopen(stamps, "r");
    long long start, end;
    if (in == NULL || fscanf(in, "%lld %lld", &start, &end) != 2) {
      fprintf(stderr, "no stamp from the stand-in\n");
      return 4;
    }
    fclose(in);
    printf("%lld %lld\n", start - before, after - end);
  }
  return 0;
}
