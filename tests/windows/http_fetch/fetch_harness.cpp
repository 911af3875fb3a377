// Runs the servers of the Linux update-check tests on 127.0.0.1, starts the
// command it is given (wine fetch_check.exe) with NAME=ADDRESS arguments for
// them, and checks what the servers saw. Prints the command's lines and its
// own, then "N passed, N failed"; exits 1 on any failure.
//
//   fetch_harness wine fetch_check.exe
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/http_server.h"

extern char** environ;

namespace {

using pixmera::test::HttpServer;

std::string document(const std::string& version) {
  return "version = " + version +
         "\ndate = 2027-03-01\ndownload = https://www.varnelo.example/pixmera/download/\n";
}

int g_passed = 0;
int g_failed = 0;

void check(bool good, const std::string& what) {
  std::printf("%s %s\n", good ? "ok" : "FAIL", what.c_str());
  ++(good ? g_passed : g_failed);
}

bool holds(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: fetch_harness COMMAND...\n");
    return 2;
  }
  constexpr size_t limit = 4096;
  HttpServer newer({200, document("3.10")});
  HttpServer same({200, document("3.1.0")});
  HttpServer missing({404, "not here"});
  HttpServer exact({200, std::string(limit, 'x')});
  HttpServer announced({200, std::string(limit + 1, 'x')});
  HttpServer endless({200, std::string(1 << 20, 'x'), false});
  HttpServer target({200, document("3.10")});
  HttpServer redirect_http({302, "", true, "Location: " + target.url() + "\r\n"});
  const std::string nowhere = HttpServer::unreachable_url();
  HttpServer redirect_https(
      {302, "", true,
       "Location: https://" + nowhere.substr(std::string("http://").size()) + "\r\n"});
  HttpServer silent({}, HttpServer::Mode::Silent);
  HttpServer held({}, HttpServer::Mode::Silent);

  std::vector<std::string> words(argv + 1, argv + argc);
  const std::pair<const char*, std::string> addresses[] = {
      {"newer", newer.url()},
      {"same", same.url()},
      {"unreachable", nowhere},
      {"missing", missing.url()},
      {"exact", exact.url()},
      {"announced", announced.url()},
      {"endless", endless.url()},
      {"redirect_http", redirect_http.url()},
      {"redirect_https", redirect_https.url()},
      {"not_http", "ftp://127.0.0.1:" + std::to_string(newer.port()) + "/pixmera/version.txt"},
      {"silent", silent.url()},
      {"held", held.url()},
  };
  for (const auto& [name, url] : addresses) words.push_back(std::string(name) + "=" + url);

  int pipe_ends[2];
  if (::pipe(pipe_ends) != 0) return 2;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], 1);
  posix_spawn_file_actions_addclose(&actions, pipe_ends[0]);
  std::vector<char*> argv_out;
  for (std::string& word : words) argv_out.push_back(word.data());
  argv_out.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, argv_out[0], &actions, nullptr, argv_out.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipe_ends[1]);
  if (spawned != 0) {
    std::fprintf(stderr, "fetch_harness: cannot start %s\n", argv_out[0]);
    return 2;
  }
  // The check's lines, each counted; wine ends them with "\r\n".
  std::string output;
  char buffer[4096];
  for (ssize_t n; (n = ::read(pipe_ends[0], buffer, sizeof buffer)) > 0;) {
    output.append(buffer, static_cast<size_t>(n));
  }
  ::close(pipe_ends[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  size_t start = 0;
  for (size_t end; (end = output.find('\n', start)) != std::string::npos; start = end + 1) {
    std::string line = output.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::printf("%s\n", line.c_str());
    if (line.rfind("ok ", 0) == 0) ++g_passed;
    if (line.rfind("FAIL ", 0) == 0) ++g_failed;
  }
  check(WIFEXITED(status) && WEXITSTATUS(status) == 0 && g_passed >= 13,
        "the check program ran every check and ended well");

  const std::string request = newer.last_request();
  check(holds(request, "GET /pixmera/version.txt HTTP/1.1\r\n"), "the request line is a GET");
  check(holds(request, "User-Agent: pixmera/3.1\r\n"), "the request names pixmera/3.1");
  check(!holds(request, "Accept-Encoding"), "no compressed answer is asked for");
  check(target.requests() == 0, "the redirect to plain http was not followed");
  check(silent.requests() == 1, "the timed-out request reached the silent server");
  check(held.requests() == 1, "the cancel ended a request the server held; the second never left");
  std::printf("%d passed, %d failed\n", g_passed, g_failed);
  return g_failed == 0 ? 0 : 1;
}
