// A helper program for the process tests, started through run_program.
//
//   platform_child_helper echo OUT ARG...  writes its arguments to OUT, one a
//                                          line, as it received them; exits 7
//   platform_child_helper parent BEAT      starts "platform_child_helper beat
//                                          BEAT" through the system's shell
//                                          and waits for it
//   platform_child_helper beat BEAT        writes a growing count to BEAT
//                                          every 20 ms, forever
//
// The shell stands between parent and child as it does when a converter
// starts its own helpers; BEAT and the program's folder must hold no blanks.
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"

int main(int argc, char** argv) {
  using namespace pixmera;
  const std::vector<std::string> words = program_parameters(argc, argv);
  if (words.size() >= 2 && words[0] == "echo") {
    std::string text;
    for (size_t i = 2; i < words.size(); ++i) text += words[i] + "\n";
    return write_file_atomically(words[1], text) ? 7 : 1;
  }
  if (words.size() == 2 && words[0] == "parent") {
    const std::string self =
        program_folder() + "platform_child_helper" + std::string(kProgramSuffix);
    return std::system((self + " beat " + words[1]).c_str());
  }
  if (words.size() == 2 && words[0] == "beat") {
    // Each count replaces the file whole: a kill between truncating and
    // writing would otherwise leave it empty, as if nothing had beaten.
    for (long count = 1;; ++count) {
      write_file_atomically(words[1], std::to_string(count));
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  return 2;
}
