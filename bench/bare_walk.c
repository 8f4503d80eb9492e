// The floor of any lister that shows sizes and dates: every folder read, every entry
// stat'ed (fstatat, links not followed), on several threads, nothing sorted or written.
//   bare_walk ROOT [THREADS]   (default: one thread a core)
// Prints the number of entries and folders on standard error, so that a run can be
// checked against the listing's count.
#define _GNU_SOURCE
#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

// Folders waiting to be read, last in first out (depth first keeps the queue short), and
// how many threads are reading one: the walk is over when both are empty.
static struct {
  pthread_mutex_t lock;
  pthread_cond_t more;
  char** paths;
  size_t count, capacity;
  int busy;
  long entries, folders;
} queue = {PTHREAD_MUTEX_INITIALIZER, PTHREAD_COND_INITIALIZER, NULL, 0, 0, 0, 0, 0};

static void Push(char* path) {
  if (queue.count == queue.capacity) {
    queue.capacity = queue.capacity ? 2 * queue.capacity : 1024;
    queue.paths = realloc(queue.paths, queue.capacity * sizeof *queue.paths);
    if (queue.paths == NULL) abort();
  }
  queue.paths[queue.count++] = path;
}

// The next folder to read, NULL once no folder is left and none is being read.
static char* Take(void) {
  pthread_mutex_lock(&queue.lock);
  while (queue.count == 0 && queue.busy > 0) pthread_cond_wait(&queue.more, &queue.lock);
  char* path = NULL;
  if (queue.count > 0) {
    path = queue.paths[--queue.count];
    ++queue.busy;
  } else {
    pthread_cond_broadcast(&queue.more);
  }
  pthread_mutex_unlock(&queue.lock);
  return path;
}

static char* Join(const char* folder, const char* name) {
  size_t a = strlen(folder), b = strlen(name);
  char* path = malloc(a + b + 2);
  if (path == NULL) abort();
  memcpy(path, folder, a);
  path[a] = '/';
  memcpy(path + a + 1, name, b + 1);
  return path;
}

// Reads one folder: every entry stat'ed, its sub-folders queued in one batch.
static void ReadFolder(char* path) {
  long entries = 0;
  size_t found = 0, room = 0;
  char** sub = NULL;
  DIR* dir = opendir(path);
  if (dir != NULL) {
    const int fd = dirfd(dir);
    for (struct dirent* e; (e = readdir(dir)) != NULL;) {
      if (strcmp(e->d_name, ".") == 0 || strcmp(e->d_name, "..") == 0) continue;
      struct stat st;
      if (fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
      ++entries;
      if (!S_ISDIR(st.st_mode)) continue;
      if (found == room) {
        room = room ? 2 * room : 16;
        sub = realloc(sub, room * sizeof *sub);
        if (sub == NULL) abort();
      }
      sub[found++] = Join(path, e->d_name);
    }
    closedir(dir);
  }
  free(path);
  pthread_mutex_lock(&queue.lock);
  for (size_t k = 0; k < found; ++k) Push(sub[k]);
  queue.entries += entries;
  ++queue.folders;
  --queue.busy;
  pthread_cond_broadcast(&queue.more);
  pthread_mutex_unlock(&queue.lock);
  free(sub);
}

static void* Reader(void* unused) {
  (void)unused;
  for (char* path; (path = Take()) != NULL;) ReadFolder(path);
  return NULL;
}

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: bare_walk ROOT [THREADS]\n");
    return 2;
  }
  long threads = argc > 2 ? atol(argv[2]) : sysconf(_SC_NPROCESSORS_ONLN);
  if (threads < 1) threads = 1;
  char* root = strdup(argv[1]);
  Push(root);
  pthread_t* helpers = calloc((size_t)threads, sizeof *helpers);
  for (long t = 1; t < threads; ++t) pthread_create(&helpers[t], NULL, Reader, NULL);
  Reader(NULL);
  for (long t = 1; t < threads; ++t) pthread_join(helpers[t], NULL);
  fprintf(stderr, "%ld entries, %ld folders\n", queue.entries, queue.folders);
  free(helpers);
  free(queue.paths);
  return 0;
}
