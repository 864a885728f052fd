// orvanta-diff ORIGINAL TUNING [DATABASE]
// Lists what the tuning image changes against the original: with a database the
// changed maps and the changed byte ranges outside them, without one every
// changed byte range; tab-separated UTF-8 lines. Exit status 0 when the images
// are identical, 1 when they differ, 2 on an error (German message on stderr).
#include <cstdio>
#include <string>
#include <vector>

#include "maps/DiffReport.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string out, err;
  int status = orv::RunDiff(args, out, err);
  std::fwrite(out.data(), 1, out.size(), stdout);
  if (std::fflush(stdout) != 0 && status != 2) {
    err += "Die Ausgabe konnte nicht geschrieben werden.\n";
    status = 2;
  }
  std::fwrite(err.data(), 1, err.size(), stderr);
  return status;
}
