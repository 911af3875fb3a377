// The windowed conversion: the checks made before it starts, in their order,
// and the run of the conversion worker on a thread of its own while the
// window polls the progress record.
#pragma once

#include <cstdint>
#include <string>

namespace pixmera {

// The outcome of the checks. On a refusal, `message_key` names the text of
// group "Msg" to show and `detail` fills its "%s1%".
struct WindowCheck {
  bool passed = false;
  std::string message_key;
  std::string detail;
};

// The checks after the input list was filled: an empty list, an empty
// output folder, an output folder that is no folder and cannot be made one
// (it is made with its parents when missing), a resize to a width or height
// of 0, a watermark font that does not open or a watermark picture that is
// not there or cannot be read. `output_folder` comes back absolute (a
// relative folder is taken from the home folder) and ends in the system's
// separator. When the checks pass, the watermark font of a text watermark
// is prepared until finish_window_conversion().
WindowCheck check_window_conversion(std::string& output_folder);

// Fills the job's values of the current-file record for the chosen output
// format and starts the worker over the input list.
void start_window_conversion(const std::string& output_folder, const std::string& conversion_type);
// True once the worker has ended by itself or after a stop.
bool window_conversion_finished();
// Asks the worker to stop after the file it is converting.
void stop_window_conversion();

struct WindowRunResult {
  int32_t total = 0;      // files in the input list
  int32_t processed = 0;  // files the worker took up
  int32_t converted = 0;
  bool stopped = false;  // a stop was asked for before every file was done
};
// Waits for the worker, releases what the run held and reports the run.
WindowRunResult finish_window_conversion();

}  // namespace pixmera
