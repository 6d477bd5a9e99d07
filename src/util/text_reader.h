// Text-mode line reading for message, list and INI files.
//
// Reads as a Windows text-mode stream does: a CR immediately followed by LF
// reads as LF, a lone CR is kept, and a byte 26 (Ctrl-Z) ends the file. Lines
// arrive like fgets delivers them: at most max_len - 1 bytes, the LF included
// when it fits. NUL bytes are passed through; callers that treat a line as text
// stop at the first NUL. One line can be pushed back. The buffer is allocated
// once and reused for every file.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

namespace mailsift::platform {
class FileSystem;
}

namespace mailsift {

// Where the reader's bytes come from.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Up to n bytes into buffer; 0 at the end, also after a read error.
  virtual std::size_t read(char* buffer, std::size_t n) = 0;
};

// A source over a platform handle remembers a read error, so that a message
// cut short is never taken for a whole one.
class FailingSource : public ByteSource {
 public:
  bool failed() const { return failed_; }
  // Why the read failed (empty when it did not).
  const std::string& error_text() const { return error_text_; }

 protected:
  std::size_t take(std::ptrdiff_t read);

 private:
  bool failed_ = false;
  std::string error_text_;
};

// Bytes held in memory (tests, benchmarks).
class StringSource : public ByteSource {
 public:
  explicit StringSource(std::string_view data) : data_(data) {}
  std::size_t read(char* buffer, std::size_t n) override;

 private:
  std::string_view data_;
  std::size_t pos_ = 0;
};

// A raw platform handle (INI and list files).
class HandleSource : public FailingSource {
 public:
  explicit HandleSource(int handle) : handle_(handle) {}
  std::size_t read(char* buffer, std::size_t n) override;

 private:
  int handle_;
};

// Shown the lines a reader delivers (see TextReader::observe).
class LineObserver {
 public:
  virtual ~LineObserver() = default;
  // Takes the next line as the reader delivers it. False when it wants no
  // more lines.
  virtual bool see(std::string_view line) = 0;
};

// A file opened through the file-system interface (message files).
class FileSystemSource : public FailingSource {
 public:
  FileSystemSource(platform::FileSystem& fs, int file) : fs_(fs), file_(file) {}
  std::size_t read(char* buffer, std::size_t n) override;

 private:
  platform::FileSystem& fs_;
  int file_;
};

class TextReader {
 public:
  static constexpr std::size_t kDefaultBufferSize = 1 << 17;
  explicit TextReader(std::size_t buffer_size = kDefaultBufferSize);

  // Starts reading a new source; drops any pushed-back line and the observer.
  void reset(ByteSource* source);

  // Shows `observer` every line read from the source from now on, once each
  // and in order (a pushed-back line is not shown again), until it answers
  // false; nullptr shows none. While an observer is set, skip_lines_without
  // passes over nothing, so that no line escapes it.
  void observe(LineObserver* observer) { observer_ = observer; }

  // Replaces `line` with the next piece of at most max_len - 1 bytes (max_len
  // at least 2). False at the end of the file, with `line` empty.
  bool read_line(std::string& line, std::size_t max_len);

  // Like read_line, but a line that lies whole in the buffer is not copied:
  // `line` views it there (a CR LF line reads as its text and an LF). Any
  // other line is built in `scratch`, which `line` then views. The view holds
  // until the next read or refill.
  bool read_line_view(std::string_view& line, std::string& scratch, std::size_t max_len);

  // Passes over the lines ahead that lie whole in the buffer before any
  // Ctrl-Z and hold none of the watched bytes whose bits are set in
  // `watched`, as if read_line(…, max_len) had read them one by one.
  void skip_lines_without(unsigned watched, std::size_t max_len);

  // The next read_line returns this line again. Only one line is held.
  void push_back(std::string_view line);

  // True once the end of the file (or a Ctrl-Z) has been met and nothing is
  // pushed back.
  bool at_end();

  // When on, a CR that ends the data (at the end of the file or before a
  // Ctrl-Z: the first half of a CR LF whose LF never came) is not delivered.
  // Off by default; kept across reset().
  void drop_cr_at_end(bool on) { drop_cr_at_end_ = on; }

  // Bytes (at most kMaxWatched; never CR) whose presence in each line a
  // caller asks about with line_holds(). Kept across reset().
  static constexpr std::size_t kMaxWatched = 8;
  void watch_bytes(std::string_view bytes);
  // Bit i set when `line`, the line the last read_line returned, holds the
  // i-th watched byte. For a line taken whole from the buffer the answer
  // comes from positions looked up once per buffer, not from a new search.
  unsigned line_holds(std::string_view line) {
    // Most lines end before the nearest watched byte: no search at all.
    if (line_in_buffer_ && line_end_ <= next_any_watched_) return 0;
    return search_line(line);
  }

 private:
  unsigned search_line(std::string_view line);
  // Drops the remembered positions of the watched bytes (after a refill).
  void forget_watched();
  // Next translated byte, or -1 at the end.
  int next_byte();
  bool fill(std::size_t keep);
  // Position of the next `c` in the buffer at or after pos_ (end_ if none),
  // remembered in `cached` until pos_ passes it.
  std::size_t next_in_buffer(char c, std::size_t& cached);
  // True when a remembered position lies before `pos` or is stale (kStale + 1
  // wraps to 0, so one comparison covers both).
  static bool passed(std::size_t cached, std::size_t pos) { return cached + 1 <= pos; }

  // Page-aligned: a copy from the system's page cache into a buffer at another
  // offset within a cache line runs several times slower on some processors.
  struct AlignedBytes {
    static constexpr std::align_val_t kAlignment{4096};
    void operator()(char* bytes) const { ::operator delete[](bytes, kAlignment); }
  };
  // Shows a line read from the source to the observer, if one is set.
  void show(std::string_view line) {
    if (observer_ != nullptr && !observer_->see(line)) observer_ = nullptr;
  }

  ByteSource* source_ = nullptr;
  LineObserver* observer_ = nullptr;
  std::size_t size_;
  std::unique_ptr<char[], AlignedBytes> bytes_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  bool eof_ = false;
  bool has_pushed_ = false;
  bool drop_cr_at_end_ = false;
  std::string pushed_;
  // Where the next CR and Ctrl-Z stand in the buffer; kStale after a refill.
  static constexpr std::size_t kStale = static_cast<std::size_t>(-1);
  std::size_t next_cr_ = kStale;
  std::size_t next_sub_ = kStale;
  // The buffer span the last line was copied from whole, if it was.
  bool line_in_buffer_ = false;
  std::size_t line_begin_ = 0;
  std::size_t line_end_ = 0;
  char watched_[kMaxWatched] = {};
  std::size_t watched_count_ = 0;
  std::size_t next_watched_[kMaxWatched] = {};
  // The nearest of next_watched_ (0 when any is stale): no watched byte
  // stands between the last searched line and this position.
  std::size_t next_any_watched_ = 0;
};

}  // namespace mailsift
