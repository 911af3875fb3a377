// The current-file record: the file being converted and the values that stay
// fixed for a whole job. The driver (or the window) fills the job's values,
// the per-file step the per-file ones; the naming mask and the image
// operations read it.
#pragma once

#include <cstdint>
#include <string>

namespace pixmera {

struct CurrentFile {
  std::string program_folder;     // folder of the executable, ends in "/"
  std::string input_path;         // the file being converted
  std::string given_input_path;   // value of -i/--input; base folder of the collection
  std::string output_path;        // written by the per-file step for each saved file
  std::string output_folder;      // normalised, ends in "/"
  std::string sub_folder;         // sub-folder text of the current entry
  int32_t random_number = 0;      // "%rnd%"
  int32_t file_counter = 0;       // "%n%"
  std::string input_type;         // loader family whose load options apply
  int32_t output_format_id = -1;  // FreeImage format of the conversion type
  std::string conversion_type;    // output extension ("tiff")
  int32_t output_bpp = 0;         // target bit depth; 0 keeps the source depth
  uint8_t automatic_depth = 0;    // 1 when the format's "BPP" setting is 0
  int32_t save_flags = 0;
  int32_t source_bpp = 0;    // bits per pixel of the picture as loaded
  uint8_t console_mode = 0;  // set by -i/--input
  std::string debug_text;    // "DEBUG" with -d, "T" in screenshot mode
  int32_t frame_number = 0;  // "%frame%"
  int32_t mask_width = 0;    // frame-free size offered to the mask
  int32_t mask_height = 0;
  int32_t mask_size_valid = 0;
};

extern CurrentFile g_current_file;

}  // namespace pixmera
