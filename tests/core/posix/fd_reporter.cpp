// Started by the program-start tests: writes the descriptors it was given to
// a file beside itself.
#include <dirent.h>

#include <fstream>
#include <string>

int main(int, char** argv) {
  DIR* dir = opendir("/proc/self/fd");
  if (!dir) return 1;
  const std::string own = std::to_string(dirfd(dir));
  std::string inherited;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != ".." && name != own) inherited += name + ' ';
  }
  closedir(dir);
  std::ofstream(std::string(argv[0]) + ".fds") << inherited;
  return 0;
}
