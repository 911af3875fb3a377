// The conversion worker over a collection, in-process, with a stand-in
// converter: its look-ahead (the converter working on the next file while
// the current one is saved) changes nothing a run shows, a stop between
// files discards it, and faults in the middle of a batch (a converter
// killed, a full disk, the output folder or an input gone) cost only the
// files they touch, each reported with its reason.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <thread>

#include "imaging/image.h"
#include "pipeline/current_file.h"
#include "pipeline/driver.h"
#include "pipeline/format_tables.h"
#include "pipeline/input_collection.h"
#include "pipeline/progress.h"
#include "settings/catalogue.h"
#include "settings/settings.h"
#include "support/process_runner.h"
#include "support/temp_folder.h"
#include "util/text.h"

namespace pixmera {
namespace {

namespace fs = std::filesystem;

std::string read_all(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// What a run shows: its lines, its counts and failures, and the files it
// wrote.
struct RunRecord {
  std::string out;
  std::string err;
  int32_t processed = 0;
  int32_t converted = 0;
  std::vector<std::string> failures;  // "path: reason"
  std::map<std::string, std::string> outputs;
};

class Worker : public testing::Test {
 protected:
  void SetUp() override {
    build_input_format_table();
    build_output_format_table();
    build_catalogue();
    reset_settings(g_settings, true);
    g_settings.filename_mask = "%filename%_%n%";
    clear_input_collection();
    g_current_file = CurrentFile{};
    g_current_file.console_mode = 1;
    g_current_file.debug_text = "DEBUG";
    g_current_file.conversion_type = "tiff";
    g_current_file.output_folder = temp_.folder() + "out/";
    fill_job_values();
    fs::create_directories(temp_.path() / "out");
    fs::create_directories(temp_.path() / "config");
    ::setenv("XDG_CONFIG_HOME", (temp_.path() / "config").c_str(), 1);
    ::setenv("PIXMERA_CONVERTER", converter().c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("PIXMERA_CONVERTER");
    clear_input_collection();
  }

  std::string converter() const { return temp_.file("convert-stand-in"); }
  std::string log() const { return temp_.file("converter.log"); }
  fs::path config() const { return temp_.path() / "config" / "Varnelo" / "pixmera"; }

  // A stand-in converter: logs "start <input>[n]", runs `before`, copies
  // "<input>.tga" (when there is one and the input can be read) to the
  // picture path, logs "done", runs `after`. In `before` and `after`, $src
  // is the "<input>[n]" argument and $pic the picture path (the last two
  // arguments, whatever depth words come before them).
  void write_converter(const std::string& before = "", const std::string& after = "") const {
    std::ofstream(converter()) << "#!/bin/sh\n"
                               << "eval \"src=\\${$(($# - 1))}\"; eval \"pic=\\${$#}\"\n"
                               << "echo \"start $src\" >> '" << log() << "'\n"
                               << before << "\n"
                               << "in=\"${src%\\[*\\]}\"\n"
                               << "head -c 1 \"$in\" > /dev/null 2>&1 || exit 1\n"
                               << "[ -f \"$in.tga\" ] || exit 1\n"
                               << "cp \"$in.tga\" \"$pic\"\n"
                               << "echo \"done $src\" >> '" << log() << "'\n"
                               << after << "\n";
    fs::permissions(converter(), fs::perms::owner_all);
  }

  // An input with its own picture for the stand-in: a different colour for
  // every file, so every output can be told from the others.
  std::string input(const std::string& name, int shade, bool with_picture = true) const {
    constexpr unsigned width = 64;
    constexpr unsigned height = 48;
    const std::string path = temp_.write(name, std::string(4096, static_cast<char>(shade)));
    if (with_picture) {
      Image picture =
          adopt(FreeImage_Allocate(static_cast<int>(width), static_cast<int>(height), 24));
      for (unsigned y = 0; y < height; ++y) {
        BYTE* row = FreeImage_GetScanLine(picture.get(), static_cast<int>(y));
        for (unsigned x = 0; x < width * 3; ++x) row[x] = static_cast<BYTE>(shade + x + y);
      }
      EXPECT_TRUE(FreeImage_Save(FIF_TARGA, picture.get(), (path + ".tga").c_str(), 0));
    }
    return path;
  }

  // Runs the worker over the files in the collection, as the window does,
  // on a thread of its own.
  RunRecord run(const std::vector<std::string>& files) {
    clear_input_collection();
    for (const std::string& file : files) EXPECT_EQ(add_input_file(file), 1) << file;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    g_progress.running = 1;
    std::thread worker(conversion_worker);
    worker.join();
    g_progress.running = 0;
    RunRecord record;
    record.out = testing::internal::GetCapturedStdout();
    record.err = testing::internal::GetCapturedStderr();
    std::lock_guard lock(g_progress.mutex);
    record.processed = g_progress.processed;
    record.converted = g_progress.converted;
    for (const FileFailure& f : g_progress.failures)
      record.failures.push_back(f.path + ": " + f.reason);
    return record;
  }

  std::map<std::string, std::string> take_outputs() const {
    std::map<std::string, std::string> outputs;
    for (const auto& entry : fs::directory_iterator(temp_.path() / "out")) {
      outputs[entry.path().filename().string()] = read_all(entry.path());
      fs::remove(entry.path());
    }
    return outputs;
  }

  // Whether this is the copy of the test that run_in_child() started.
  static bool in_child() { return std::getenv("PIXMERA_WORKER_CHILD") != nullptr; }

  // Runs the current test again in a child process started through
  // `wrapper` (a command that ends by running its remaining arguments), for
  // a mount or capabilities of its own; the child's failures fail it.
  static void run_in_child(const std::vector<std::string>& wrapper,
                           std::map<std::string, std::string> environment = {}) {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    std::vector<std::string> args(wrapper.begin() + 1, wrapper.end());
    args.push_back(fs::read_symlink("/proc/self/exe").string());
    args.push_back(std::string("--gtest_filter=") + info->test_suite_name() + "." + info->name());
    environment["PIXMERA_WORKER_CHILD"] = "1";
    const test::ProcessResult child = test::run_process(wrapper.front(), args, environment);
    EXPECT_EQ(child.exit_status, 0) << child.output;
    EXPECT_NE(child.output.find("[  PASSED  ] 1 test"), std::string::npos) << child.output;
  }

  // Every file below a folder that is no output: the converter's pictures
  // and temporary files, the save's temporary files.
  static std::vector<std::string> leftovers(const fs::path& folder) {
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
      const std::string name = entry.path().filename().string();
      if (entry.is_regular_file() && (name.starts_with('.') || !name.ends_with(".tiff"))) {
        found.push_back(entry.path().string());
      }
    }
    return found;
  }

  test::TempFolder temp_;
};

// Two files of the same name in two folders, one the converter cannot
// decode, the rest ordinary: the worker over all of them shows exactly what
// it shows over each alone, one after another.
TEST_F(Worker, LookAheadChangesNothingARunShows) {
  write_converter();
  const std::vector<std::string> files{input("a/IMG0001.PCD", 10), input("b/IMG0001.PCD", 60),
                                       input("a/broken.pcd", 90, false),
                                       input("a/IMG0002.PCD", 120), input("b/IMG0003.PCD", 150)};

  RunRecord alone;
  const int32_t first_number = g_current_file.file_counter;
  for (const std::string& file : files) {
    RunRecord one = run({file});
    alone.out += one.out;
    alone.err += one.err;
    alone.processed += one.processed;
    alone.converted += one.converted;
    alone.failures.insert(alone.failures.end(), one.failures.begin(), one.failures.end());
  }
  alone.outputs = take_outputs();
  // The converter's attempts, in any order: with the look-ahead two may run
  // side by side, but each is made once.
  const auto attempts = [&] {
    std::vector<std::string> lines;
    std::istringstream text(read_all(log()));
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    fs::remove(log());
    return lines;
  };
  const std::vector<std::string> attempts_alone = attempts();

  g_current_file.file_counter = first_number;
  RunRecord together = run(files);
  together.outputs = take_outputs();
  EXPECT_EQ(attempts(), attempts_alone);

  EXPECT_EQ(together.out, alone.out);
  EXPECT_EQ(together.err, alone.err);
  EXPECT_EQ(together.processed, 5);
  EXPECT_EQ(together.converted, 4);
  EXPECT_EQ(together.failures, alone.failures);
  ASSERT_EQ(together.failures.size(), 1u);
  EXPECT_TRUE(together.failures[0].starts_with(files[2])) << together.failures[0];
  EXPECT_EQ(together.outputs.size(), 4u);
  EXPECT_TRUE(together.outputs == alone.outputs);
  EXPECT_TRUE(fs::is_empty(config())) << "the converter's pictures are all deleted";
}

// A process that still runs (a zombie has ended).
bool process_runs(const std::string& pid) {
  std::ifstream stat("/proc/" + pid + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), {});
  const size_t state = text.rfind(')');
  return state != std::string::npos && state + 2 < text.size() && text[state + 2] != 'Z';
}

// A stop asked for while the first file is being decoded: that file is
// finished, the converter already working on the second one is stopped with
// everything it started, and neither its picture (a TGA, or a PPM for a
// 48-bit output) nor its temporary file is left behind.
TEST_F(Worker, StopBetweenFilesDiscardsTheLookAhead) {
  // Slow on the first file, so the stop comes while it is decoded; slower
  // still on the second, so only a kill ends it early. It leaves a
  // temporary file as our converter does while it writes, and notes itself
  // and the program it waits for.
  const std::string pids = temp_.file("pids");
  write_converter(
      "case \"$src\" in\n"
      "  *IMG0001*) sleep 1 ;;\n"
      "  *IMG0002*) : > \"$(dirname \"$pic\")/.$(basename \"$pic\").0123456789abcdef.tmp\"\n"
      "    sleep 30 & echo $$ $! > '" + pids + "'; wait ;;\n"
      "esac");
  // The converter starts on the second file when the first is taken up, so
  // it runs (and has left its temporary file) when the stop comes.
  const std::vector<std::string> files{input("IMG0001.PCD", 10), input("IMG0002.PCD", 60),
                                       input("IMG0003.PCD", 110)};
  for (const int32_t bpp : {0, 48}) {
    SCOPED_TRACE("TIFF BPP " + std::to_string(bpp));
    g_settings.tiff_bpp = bpp;
    fill_job_values();
    fs::remove(log());
    fs::remove(pids);
    clear_input_collection();
    for (const std::string& file : files) ASSERT_EQ(add_input_file(file), 1);
    testing::internal::CaptureStdout();
    g_progress.running = 1;
    std::thread worker(conversion_worker);
    // Wait for the second file's converter, then ask for the stop.
    for (int i = 0; i < 1000 && read_all(pids).find(' ') == std::string::npos; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    g_progress.running = 0;
    worker.join();
    const std::string out = testing::internal::GetCapturedStdout();

    EXPECT_NE(out.find("Processing: " + files[0]), std::string::npos) << out;
    EXPECT_EQ(out.find("Processing: " + files[1]), std::string::npos) << out;
    {
      std::lock_guard lock(g_progress.mutex);
      EXPECT_EQ(g_progress.processed, 1);
      EXPECT_EQ(g_progress.converted, 1);
    }
    EXPECT_EQ(take_outputs().size(), 1u);
    const std::string calls = read_all(log());
    EXPECT_NE(calls.find("start " + files[1] + "[6]"), std::string::npos)
        << "the look-ahead had started: " << calls;
    EXPECT_EQ(calls.find("done " + files[1]), std::string::npos) << "and was stopped: " << calls;
    std::istringstream started(read_all(pids));
    int count = 0;
    for (std::string pid; started >> pid; ++count) {
      // A killed process takes a moment to end; one left running would
      // sleep on for half a minute.
      for (int i = 0; i < 500 && process_runs(pid); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
      EXPECT_FALSE(process_runs(pid)) << "process " << pid << " outlived the stop";
    }
    EXPECT_EQ(count, 2);
    EXPECT_TRUE(fs::is_empty(config())) << "no picture or temporary file is left";
  }
}

// A converter killed while it writes (a crash, or the system ending it for
// memory): its file is reported with the signal, no smaller sub-image is
// asked for in its place, its temporary file is deleted and the run goes
// on; alike when the converter ran ahead of the file's turn and when not.
TEST_F(Worker, AKilledConverterCostsOnlyItsFileAndLeavesNothing) {
  write_converter(
      "case \"$src\" in\n"
      "  *IMG0002*) : > \"$(dirname \"$pic\")/.$(basename \"$pic\").0123456789abcdef.tmp\"\n"
      "    kill -9 $$ ;;\n"
      "esac");
  const std::vector<std::string> files{input("IMG0001.PCD", 10), input("IMG0002.PCD", 60),
                                       input("IMG0003.PCD", 110)};
  const std::string reason =
      files[1] + ": " +
      format_placeholders(catalogue_text("Msg", "Converter killed"), converter(), "9");
  // In a run the second file's converter works ahead, while the first is
  // saved; alone it runs in the file's turn.
  for (const bool ahead : {true, false}) {
    SCOPED_TRACE(ahead ? "ahead" : "alone");
    fs::remove(log());
    const RunRecord record = ahead ? run(files) : run({files[1]});
    EXPECT_EQ(record.failures, std::vector<std::string>{reason});
    EXPECT_EQ(record.processed, ahead ? 3 : 1);
    EXPECT_EQ(record.converted, ahead ? 2 : 0);
    EXPECT_EQ(take_outputs().size(), ahead ? 2u : 0u);
    const std::string calls = read_all(log());
    EXPECT_NE(calls.find("start " + files[1] + "[6]"), std::string::npos) << calls;
    EXPECT_EQ(calls.find("start " + files[1] + "[5]"), std::string::npos) << calls;
    EXPECT_TRUE(fs::is_empty(config())) << "no picture or temporary file is left";
  }
}

// Our converter killed at a random moment of its run on a 16Base picture:
// whatever it had done by then, its file is either reported with the
// signal or (the kill too late) converted whole; every other file comes out
// exactly as alone, and nothing is left behind.
TEST_F(Worker, OurConverterKilledAtARandomMomentCostsOnlyItsFile) {
  const std::string ours = PIXMERA_BINARY_DIR "/lib/pixmera/convert";
  const fs::path pids = temp_.path() / "pids";
  fs::create_directories(pids);
  // Our converter, once its 16Base attempt for a file named KILL has noted
  // its process.
  std::ofstream(converter()) << "#!/bin/sh\n"
                             << "case \"$6\" in *KILL*\\[5\\]) echo $$ > '" << pids.string()
                             << "'/\"$(basename \"$7\")\" ;; esac\n"
                             << "exec '" << ours << "' \"$@\"\n";
  fs::permissions(converter(), fs::perms::owner_all);
  g_settings.filename_mask = "%filename%.%ext%";
  const auto copy = [this](const std::string& name) {
    const std::string path = temp_.file("disc/" + name);
    fs::create_directories(fs::path(path).parent_path());
    fs::copy_file(PIXMERA_TEST_DATA "/pcd/kodak_16base.pcd", path);
    return path;
  };
  const RunRecord alone = run({copy("ALONE.PCD")});
  ASSERT_EQ(alone.converted, 1) << alone.err;
  const std::string reference = take_outputs().at("ALONE.tiff");

  const std::vector<std::string> files{copy("IMG0001.PCD"), copy("KILL0002.PCD"),
                                       copy("IMG0003.PCD"), copy("KILL0004.PCD")};
  std::atomic<bool> done{false};
  std::thread killer([&] {
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> delay_ms(0, 80);
    std::vector<std::string> seen;
    while (!done) {
      for (const auto& entry : fs::directory_iterator(pids)) {
        const std::string name = entry.path().filename().string();
        if (std::find(seen.begin(), seen.end(), name) != seen.end()) continue;
        const std::string pid = read_all(entry.path());
        if (pid.empty() || pid.back() != '\n') continue;  // not yet written whole
        seen.push_back(name);
        std::this_thread::sleep_for(std::chrono::milliseconds(delay_ms(random)));
        ::kill(std::stoi(pid), SIGKILL);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  const RunRecord record = run(files);
  done = true;
  killer.join();

  EXPECT_EQ(record.processed, 4);
  const std::map<std::string, std::string> outputs = take_outputs();
  const std::string killed_reason =
      format_placeholders(catalogue_text("Msg", "Converter killed"), converter(), "9");
  for (const std::string& file : files) {
    const std::string name = fs::path(file).stem().string();
    const auto output = outputs.find(name + ".tiff");
    const auto failure = std::find(record.failures.begin(), record.failures.end(),
                                   file + ": " + killed_reason);
    if (name.starts_with("KILL") && failure != record.failures.end()) {
      EXPECT_EQ(output, outputs.end()) << name;
    } else {
      ASSERT_NE(output, outputs.end()) << name << " " << ::testing::PrintToString(record.failures);
      EXPECT_TRUE(output->second == reference) << name << " differs from its conversion alone";
    }
  }
  EXPECT_EQ(record.failures.size() + outputs.size(), 4u)
      << ::testing::PrintToString(record.failures);
  EXPECT_GE(record.failures.size(), 1u) << "a kill landed";
  EXPECT_TRUE(fs::is_empty(config())) << "no picture or temporary file is left";
  EXPECT_TRUE(leftovers(temp_.path() / "out").empty());
}

// The output disk fills up halfway through a batch (a small tmpfs): the
// file being written when it filled is removed whole, every file that no
// longer fits is reported with the reason, the run goes on to its end, and
// what was written is exactly what a roomy disk gets.
TEST_F(Worker, AFullOutputDiskCostsOnlyTheFilesThatDidNotFit) {
  const std::string small = temp_.file("small");
  if (!in_child()) {
    fs::create_directories(small);
    const test::ProcessResult probe = test::run_process(
        "/usr/bin/unshare", {"--mount", "--propagation", "private", "/bin/sh", "-c",
                             "mount -t tmpfs -o size=16k none '" + small + "'"});
    if (probe.exit_status != 0) GTEST_SKIP() << "no mounts here: " << probe.output;
    run_in_child({"/usr/bin/unshare", "--mount", "--propagation", "private", "/bin/sh", "-c",
                  "mount -t tmpfs -o size=64k none '" + small + "' && exec \"$@\"", "sh"},
                 {{"PIXMERA_SMALL_DISK", small}});
    return;
  }
  const std::string disk = std::getenv("PIXMERA_SMALL_DISK");
  write_converter();
  g_settings.filename_mask = "%filename%.%ext%";
  std::vector<std::string> files;
  for (int i = 1; i <= 10; ++i) files.push_back(input("IMG00" + std::to_string(10 + i) + ".PCD", 20 * i));
  const RunRecord roomy = run(files);
  ASSERT_EQ(roomy.converted, 10);
  const std::map<std::string, std::string> expected = take_outputs();

  g_current_file.output_folder = disk + "/";
  const RunRecord record = run(files);
  EXPECT_EQ(record.processed, 10);
  EXPECT_GT(record.converted, 0);
  EXPECT_LT(record.converted, 10);
  std::vector<std::string> reported;
  for (const std::string& file : files) {
    const std::string name = fs::path(file).stem().string() + ".tiff";
    if (fs::exists(disk + "/" + name)) {
      EXPECT_TRUE(read_all(disk + "/" + name) == expected.at(name)) << name << " is not whole";
    } else {
      reported.push_back(file + ": cannot write " + disk + "/" + name +
                         ": No space left on device");
    }
  }
  EXPECT_EQ(record.failures, reported);
  EXPECT_EQ(reported.size(), 10u - static_cast<size_t>(record.converted));
  EXPECT_TRUE(leftovers(disk).empty()) << ::testing::PrintToString(leftovers(disk));
  EXPECT_TRUE(fs::is_empty(config()));
}

// The output folder removed while the run goes on (a USB disk pulled out
// leaves its empty mount point): it is not made again, so nothing lands
// where the disk was; every file after it is reported and the run goes to
// its end.
TEST_F(Worker, AnOutputFolderRemovedMidRunIsNotMadeAgain) {
  const std::string out = temp_.file("out");
  g_settings.filename_mask = "%filename%.%ext%";
  g_settings.keep_subfolders = 1;
  // The first file's output is saved before the second file's converter
  // removes the folder, so the run has one success.
  write_converter("case \"$src\" in *IMG0002*)\n"
                  "  i=0; while [ ! -f '" + out + "/IMG0001.tiff' ] && [ $i -lt 1000 ]; do\n"
                  "    sleep 0.01; i=$((i+1)); done\n"
                  "  rm -rf '" + out + "' ;;\n"
                  "esac");
  const std::vector<std::string> files{input("disc/IMG0001.PCD", 10),
                                       input("disc/IMG0002.PCD", 60),
                                       input("disc/a/IMG0003.PCD", 110),
                                       input("disc/b/IMG0004.PCD", 160)};
  g_current_file.given_input_path = temp_.file("disc/");
  const RunRecord record = run(files);
  EXPECT_EQ(record.processed, 4);
  EXPECT_EQ(record.converted, 1);
  const std::string gone = ": No such file or directory";
  EXPECT_EQ(record.failures,
            (std::vector<std::string>{files[1] + ": cannot write " + out + "/IMG0002.tiff" + gone,
                                      files[2] + ": cannot write " + out + "/a/IMG0003.tiff" + gone,
                                      files[3] + ": cannot write " + out + "/b/IMG0004.tiff" + gone}));
  EXPECT_FALSE(fs::exists(out));
  EXPECT_TRUE(fs::is_empty(config()));
}

// A disc taken out in the middle of a batch: a file removed after the
// converter had decoded it ahead, one removed and one made unreadable before
// their turn. Each is reported with its reason, never saved without its
// disc's record, and the run neither crashes nor hangs.
TEST_F(Worker, AnInputGoneOrUnreadableBeforeItsTurnIsReported) {
  // Root reads every file; without the two capabilities that let it, file
  // modes count for root too.
  if (::geteuid() == 0 && !in_child()) {
    run_in_child({"/usr/bin/setpriv", "--bounding-set=-dac_override,-dac_read_search"});
    return;
  }
  std::vector<std::string> files;
  for (int i = 1; i <= 5; ++i) files.push_back(input("IMG000" + std::to_string(i) + ".PCD", 30 * i));
  // The first file's converter takes out the third and locks the fourth;
  // the second's, working ahead, takes out its own input once decoded.
  write_converter("case \"$src\" in *IMG0001*) rm '" + files[2] + "'; chmod 0 '" + files[3] +
                      "' ;; esac",
                  "case \"$src\" in *IMG0002*) rm '" + files[1] + "' ;; esac");
  const RunRecord record = run(files);
  EXPECT_EQ(record.processed, 5);
  EXPECT_EQ(record.converted, 2);
  const std::string gone = ": No such file or directory";
  EXPECT_EQ(record.failures,
            (std::vector<std::string>{files[1] + ": cannot read " + files[1] + gone,
                                      files[2] + ": cannot read " + files[2] + gone,
                                      files[3] + ": cannot read " + files[3] +
                                          ": Permission denied"}));
  const std::map<std::string, std::string> outputs = take_outputs();
  EXPECT_EQ(outputs.size(), 2u);
  EXPECT_TRUE(fs::is_empty(config()));
}

}  // namespace
}  // namespace pixmera
