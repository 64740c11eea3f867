/* Runs a program to its end and prints "wall user sys maxrss_kib status".
   A small program of its own so that the peak-memory figure starts from a
   small process: Linux carries the memory high-water mark of the process
   that execs over into the program it becomes.
   Usage: measure OUT_OR_- PROGRAM [ARGS...]  (OUT: file for the program's
   standard output, "-" to keep it) */
#include <fcntl.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  struct timespec start, end;
  clock_gettime(CLOCK_MONOTONIC, &start);
  pid_t pid = fork();
  if (pid == 0) {
    if (argv[1][0] != '-' || argv[1][1] != '\0') {
      int fd = open(argv[1], O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd < 0 || dup2(fd, 1) < 0) _exit(126);
      close(fd);
    }
    execv(argv[2], argv + 2);
    _exit(127);
  }
  int status;
  struct rusage usage;
  if (pid < 0 || wait4(pid, &status, 0, &usage) < 0) return 3;
  clock_gettime(CLOCK_MONOTONIC, &end);
  printf("%.6f %.6f %.6f %ld %d\n",
         (end.tv_sec - start.tv_sec) + (end.tv_nsec - start.tv_nsec) / 1e9,
         usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6,
         usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6, usage.ru_maxrss,
         WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
  return 0;
}
