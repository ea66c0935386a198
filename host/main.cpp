// The finderix program. For now it only answers --version and -h; the
// interactive host and the command-line invocation are not built yet.
#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kUsage =
    "usage: finderix [options]\n"
    "  -h, --help     show this help\n"
    "  --version      show the version\n";

bool Is(const char* argument, const char* name) { return std::strcmp(argument, name) == 0; }

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && Is(argv[1], "--version")) {
    std::printf("finderix %s\n", FINDERIX_VERSION);
    return 0;
  }
  if (argc == 2 && (Is(argv[1], "-h") || Is(argv[1], "--help"))) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  std::fputs("finderix: the interactive host is not built yet; try -h\n", stderr);
  return 2;
}
