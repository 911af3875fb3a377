// pixmera.exe on Windows: a window program, so a double-click opens the
// window without a console flashing up. Started with options it runs the
// console face in the console of whoever started it, or in one of its own;
// pixmeracmd.exe (main.cpp) is its console twin for scripts.
#include <string>
#include <vector>

#include "app/startup.h"
#include "platform/console.h"
#include "platform/process.h"

namespace {

// Options other than the screenshot mode and the uninstall page ask for the
// console face; bare words (a file opened from Explorer) go to the window.
bool wants_console(const std::vector<std::string>& parameters) {
  if (parameters.empty()) return false;
  const std::string& first = parameters.front();
  if (first == "-T" || first == "-t" || first == "-U" || first == "-u") return false;
  for (const std::string& parameter : parameters) {
    if (parameter.find_first_not_of(' ') != std::string::npos &&
        parameter[parameter.find_first_not_of(' ')] == '-') {
      return true;
    }
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> parameters = pixmera::program_parameters(argc, argv);
  // Without a console the console face still runs and its exit status
  // still tells the caller how it went.
  if (wants_console(parameters)) pixmera::open_console();
  return pixmera::run_program_main(argc > 0 ? argv[0] : "pixmera", parameters);
}
