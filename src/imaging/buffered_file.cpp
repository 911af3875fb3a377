#include "imaging/buffered_file.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "platform/files.h"

namespace pixmera {

namespace {

// Large enough that a 16Base picture goes out in a few dozen writes, small
// enough not to matter beside the picture itself.
constexpr std::size_t kBufferBytes = std::size_t{1} << 20;

// The open file with the position and size FreeImage has seen, so seeks and
// tells are answered without asking stdio (which would flush) or the kernel.
struct BufferedFile {
  std::FILE* file = nullptr;
  std::unique_ptr<char[]> buffer;
  int64_t position = 0;
  int64_t size = 0;
  bool failed = false;
  int error = 0;  // errno of the first failed write, flush or close
  // stdio needs a seek between writing and reading in either order; the
  // seeks FreeImage asks for may have been skipped.
  enum class Last { none, read, write } last = Last::none;
};

void note_failure(BufferedFile* f) {
  f->failed = true;
  if (f->error == 0) f->error = errno;
}

// Repositions stdio where FreeImage believes the file stands, when the
// direction changes.
void switch_direction(BufferedFile* f, BufferedFile::Last next) {
  if (f->last != BufferedFile::Last::none && f->last != next) {
    if (fseeko(f->file, static_cast<off_t>(f->position), SEEK_SET) != 0) note_failure(f);
  }
  f->last = next;
}

BufferedFile* as_file(fi_handle handle) { return static_cast<BufferedFile*>(handle); }

unsigned DLL_CALLCONV read_proc(void* data, unsigned size, unsigned count, fi_handle handle) {
  BufferedFile* f = as_file(handle);
  switch_direction(f, BufferedFile::Last::read);
  const std::size_t got = std::fread(data, size, count, f->file);
  f->position += static_cast<int64_t>(got) * size;
  return static_cast<unsigned>(got);
}

unsigned DLL_CALLCONV write_proc(void* data, unsigned size, unsigned count, fi_handle handle) {
  BufferedFile* f = as_file(handle);
  switch_direction(f, BufferedFile::Last::write);
  const std::size_t put = std::fwrite(data, size, count, f->file);
  if (put != count) note_failure(f);
  f->position += static_cast<int64_t>(put) * size;
  if (f->position > f->size) f->size = f->position;
  return static_cast<unsigned>(put);
}

int DLL_CALLCONV seek_proc(fi_handle handle, long offset, int origin) {
  BufferedFile* f = as_file(handle);
  int64_t target = offset;
  if (origin == SEEK_CUR) target += f->position;
  if (origin == SEEK_END) target += f->size;
  if (target < 0) return -1;
  if (target == f->position) return 0;
  if (fseeko(f->file, static_cast<off_t>(target), SEEK_SET) != 0) return -1;
  f->position = target;
  f->last = BufferedFile::Last::none;
  return 0;
}

long DLL_CALLCONV tell_proc(fi_handle handle) {
  return static_cast<long>(as_file(handle)->position);
}

FreeImageIO buffered_io() { return FreeImageIO{read_proc, write_proc, seek_proc, tell_proc}; }

// Opens `path` with the large buffer and learns its size (a seek to the end
// must be answerable without the kernel).
bool open_buffered(BufferedFile& f, const std::string& path, const char* mode) {
  f.file = open_file(path, mode);
  if (f.file == nullptr) return false;
  f.buffer = std::make_unique<char[]>(kBufferBytes);
  if (std::setvbuf(f.file, f.buffer.get(), _IOFBF, kBufferBytes) != 0 ||
      fseeko(f.file, 0, SEEK_END) != 0) {
    std::fclose(f.file);
    return false;
  }
  f.size = ftello(f.file);
  if (f.size < 0 || fseeko(f.file, 0, SEEK_SET) != 0) {
    std::fclose(f.file);
    return false;
  }
  return true;
}

}  // namespace

FIBITMAP* load_buffered(FREE_IMAGE_FORMAT format, const std::string& path, int flags) {
  BufferedFile f;
  if (!open_buffered(f, path, "rb")) return nullptr;
  FreeImageIO io = buffered_io();
  FIBITMAP* picture = FreeImage_LoadFromHandle(format, &io, &f, flags);
  std::fclose(f.file);
  return picture;
}

bool save_buffered(FREE_IMAGE_FORMAT format, FIBITMAP* picture, const std::string& path, int flags,
                   int* error) {
  BufferedFile f;
  if (!open_buffered(f, path, "r+b")) {
    if (error != nullptr) *error = errno;
    return false;
  }
  FreeImageIO io = buffered_io();
  const bool saved = FreeImage_SaveToHandle(format, picture, &io, &f, flags) != FALSE;
  // The last buffer is written here; a full disk may only show now.
  const bool flushed = std::fflush(f.file) == 0 && std::ferror(f.file) == 0;
  if (!flushed) note_failure(&f);
  if (std::fclose(f.file) != 0) note_failure(&f);
  if (error != nullptr) *error = f.error;
  return saved && !f.failed;
}

}  // namespace pixmera
