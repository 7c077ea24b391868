/* A C program that uses the installed libmetalink the way any other C caller does, built with
 * `pkg-config --cflags --libs metalink`. Usage: consumer DATA_SOURCE; exits 0 when the data
 * source (a name or a connection string) opens and its tables can be listed. */
#include <metalink/metalink.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* ASCII is all this check passes, so each byte is one UTF-16 unit. */
static metalink_char* utf16(const char* text) {
  size_t n = strlen(text);
  metalink_char* out = calloc(n + 1, sizeof *out);
  for (size_t i = 0; out != NULL && i < n; ++i) out[i] = (metalink_char)(unsigned char)text[i];
  return out;
}

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: consumer DATA_SOURCE\n");
    return 2;
  }
  metalink_char* source = utf16(argv[1]);
  metalink_char* empty = utf16("");
  if (source == NULL || empty == NULL) return 1;
  int opened = checkDataSource(source, empty, empty);
  metalink_char** names = NULL;
  int count = getTables(source, empty, empty, &names);
  metalinkFreeNames(names, count);
  free(source);
  free(empty);
  printf("libmetalink from C: data source %s, %d tables\n", opened ? "opened" : "NOT opened",
         count);
  return opened ? 0 : 1;
}
