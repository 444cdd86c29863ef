/* Loads the built MEX module as the host would and checks its two exports:
 * mexFunction exists and mexVersion names the interface it was built for.
 * The module's calls into the host are bound lazily, so nothing of the
 * host is needed as long as mexFunction is not called. */
#include <dlfcn.h>
#include <stdio.h>
#include <string.h>

int main(int argc, char **argv)
{
  void *module = argc == 2 ? dlopen(argv[1], RTLD_LAZY | RTLD_LOCAL) : NULL;
  const char *(*version)(void);
  if (!module) {
    fprintf(stderr, "usage: mex_exports MODULE (%s)\n", dlerror());
    return 1;
  }
  *(void **)&version = dlsym(module, "mexVersion");
  if (!dlsym(module, "mexFunction") || !version || strcmp(version(), "MATLAB R13 native") != 0) {
    fprintf(stderr, "mexFunction, or mexVersion returning \"MATLAB R13 native\", is missing\n");
    return 1;
  }
  printf("mexVersion: %s\n", version());
  return 0;
}
