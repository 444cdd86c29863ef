/* Loads the built MEX module as the host would and checks its two exports:
 * mexFunction exists and mexVersion names the interface it was built for.
 * The module's calls into the host are bound lazily, so nothing of the
 * host is needed as long as mexFunction is not called. */
#include <dlfcn.h>
#include <stdio.h>
#include <string.h>

int main(int argc, char **argv)
{
  void *module;
  const char *(*version)(void);
  const char *text;

  if (argc != 2) {
    fprintf(stderr, "usage: mex_exports MODULE\n");
    return 2;
  }
  module = dlopen(argv[1], RTLD_LAZY | RTLD_LOCAL);
  if (!module) {
    fprintf(stderr, "cannot load %s: %s\n", argv[1], dlerror());
    return 1;
  }
  if (!dlsym(module, "mexFunction")) {
    fprintf(stderr, "mexFunction is not exported\n");
    return 1;
  }
  *(void **)&version = dlsym(module, "mexVersion");
  if (!version) {
    fprintf(stderr, "mexVersion is not exported\n");
    return 1;
  }
  text = version();
  if (strcmp(text, "MATLAB R13 native") != 0) {
    fprintf(stderr, "mexVersion returned \"%s\"\n", text);
    return 1;
  }
  printf("mexVersion: %s\n", text);
  return 0;
}
