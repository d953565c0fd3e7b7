#ifndef _WIN32
#include "archive/LibarchiveStream.h"

#include <archive.h>
#include <archive_entry.h>

#include <locale.h>

#include <new>

namespace libarchive_stream {
namespace {

constexpr size_t kBlock = 64 * 1024;

// libarchive converts entry names through the thread's locale: under a UTF-8
// locale it hands on every name, also where the program runs in the "C" locale.
class Utf8Locale {
 public:
  Utf8Locale() : utf8_(newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(0))) {
    if (utf8_) previous_ = uselocale(utf8_);
  }
  ~Utf8Locale() {
    if (!utf8_) return;
    uselocale(previous_);
    freelocale(utf8_);
  }
  Utf8Locale(const Utf8Locale&) = delete;
  Utf8Locale& operator=(const Utf8Locale&) = delete;

 private:
  locale_t utf8_;
  locale_t previous_ = locale_t(0);
};

struct archive* A(void* p) { return static_cast<struct archive*>(p); }

}  // namespace

Reader::Reader(const std::string& utf8Path) : archive_(archive_read_new()) {
  if (!archive_) throw std::bad_alloc();
  const Utf8Locale locale;
  archive_read_support_format_zip(A(archive_));
  archive_read_support_format_7zip(A(archive_));
  ok_ = archive_read_open_filename(A(archive_), utf8Path.c_str(), kBlock) == ARCHIVE_OK;
}

Reader::~Reader() { archive_read_free(A(archive_)); }

int Reader::Next(Header& header) {
  const Utf8Locale locale;
  struct archive_entry* e = nullptr;
  const int status = archive_read_next_header(A(archive_), &e);
  if (status == ARCHIVE_EOF) return 0;
  const char* utf8 = e ? archive_entry_pathname_utf8(e) : nullptr;
  // A warning that the name has no form in the C library's locale is none: the
  // name is taken in UTF-8. Any other warning is a fault.
  if (status != ARCHIVE_OK && !(status == ARCHIVE_WARN && utf8)) return -1;
  const char* raw = archive_entry_pathname(e);
  header.name = utf8 ? utf8 : raw ? raw : "";
  header.isFolder = archive_entry_filetype(e) == AE_IFDIR;
  header.size = archive_entry_size_is_set(e) ? uint64_t(archive_entry_size(e)) : 0;
  header.hasTime = archive_entry_mtime_is_set(e) != 0;
  header.modified = header.hasTime ? int64_t(archive_entry_mtime(e)) : 0;
  return 1;
}

int64_t Reader::Read(void* buffer, size_t size) {
  const Utf8Locale locale;
  const la_ssize_t n = archive_read_data(A(archive_), buffer, size);
  return n < 0 ? -1 : int64_t(n);
}

std::string Reader::ErrorText() const {
  const char* text = archive_error_string(A(archive_));
  return text ? text : "it cannot be read";
}

}  // namespace libarchive_stream
#endif
