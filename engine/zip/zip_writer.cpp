#include "engine/zip/zip_writer.h"

#include <ctime>
#include <new>
#include <vector>

#include "engine/zip/crc32.h"
#include "engine/zip/deflate.h"
#include "engine/zip/zip_file.h"
#include "engine/zip/zip_format.h"

struct zip_writer {
  zip_os_file* file = nullptr;
  uint32_t offset_base = 0;
  uint64_t written = 0;  // offset of the next local header
  uint32_t last_error = 0;
  bool finished = false;
  std::vector<zip_entry_header> entries;
};

namespace {

constexpr uint64_t zip_limit = 0xFFFFFFFFu;
constexpr size_t max_entries = 0xFFFF;
constexpr int pack_level = 8;
constexpr unsigned copy_block = 16384;

// Appends to the archive, refusing what would carry an offset or size past 32 bits.
bool archive_write(zip_writer& w, const void* data, size_t size) {
  if (w.written + size > zip_limit) return false;
  if (!zip_file_write(w.file, data, uint32_t(size))) return false;
  w.written += size;
  return true;
}

struct source_reader {
  zip_os_file* file;
  uint32_t crc = 0;
  uint64_t bytes = 0;
};

// What the compressor's hooks work on: the source read, the archive written.
struct pack_io {
  source_reader* reader;
  zip_writer* writer;
};

int counting_read(source_reader* r, uint8_t* buffer, unsigned size) {
  int n = zip_source_read(r->file, buffer, size);
  if (n <= 0) return n;
  r->bytes += unsigned(n);
  if (r->bytes > zip_limit) return -1;  // grew past what a 32-bit size can hold
  r->crc = crc32_update(r->crc, buffer, unsigned(n));
  return n;
}

int pack_read(void* context, uint8_t* buffer, unsigned size) {
  return counting_read(static_cast<pack_io*>(context)->reader, buffer, size);
}

bool pack_write(void* context, const uint8_t* data, unsigned size) {
  return archive_write(*static_cast<pack_io*>(context)->writer, data, size);
}

bool copy_stored(zip_writer& w, source_reader& r) {
  std::vector<uint8_t> buffer(copy_block);
  for (;;) {
    int n = counting_read(&r, buffer.data(), copy_block);
    if (n < 0) return false;
    if (n == 0) return true;
    if (!archive_write(w, buffer.data(), unsigned(n))) return false;
  }
}

// Puts the archive back as it was before the entry at `offset`; on failure the archive's
// state is unknown and the writer takes no more entries.
void roll_back(zip_writer& w, uint64_t offset) {
  if (zip_file_seek(w.file, offset) && zip_file_truncate(w.file))
    w.written = offset;
  else
    w.last_error = zip_error_write;
}

uint32_t add(zip_writer& w, const char16_t* name, const char16_t* source_path) {
  std::string ansi;
  if (!zip_name_to_ansi(name, ansi) || ansi.size() > 2 * 259) return zip_error_argument;
  if (w.last_error) return zip_error_failed;
  if (w.finished) return zip_error_finished;
  if (ansi.empty() || ansi.size() > zip_max_name_bytes) return zip_error_argument;
  if (!w.file) {
    w.last_error = zip_error_not_open;
    return w.last_error;
  }
  if (w.entries.size() >= max_entries) return zip_error_finished;
  for (char& c : ansi)
    if (c == '\\') c = '/';

  zip_entry_header e;
  e.name = ansi;
  e.method = zip_method_for_name(ansi);
  zip_source_info info;
  zip_os_file* source = zip_source_open(source_path, info);
  if (!source) return zip_error_open;
  if (info.size > zip_limit) {
    zip_source_close(source);
    return zip_error_open;
  }
  int32_t offset_now = zip_local_offset_now();
  e.flags = zip_flag_data_descriptor;
  e.uncompressed_size = uint32_t(info.size);
  e.compressed_size = e.method == zip_method_stored ? e.uncompressed_size : 0;
  e.local_header_offset = uint32_t(w.written) + w.offset_base;
  e.external_attributes = zip_external_attributes(info.attributes);
  e.dos_date_time = zip_dos_date_time(info.write_time, offset_now);
  e.mtime = zip_unix_time(info.write_time, offset_now);
  e.atime = zip_unix_time(info.access_time, offset_now);
  e.ctime = zip_unix_time(info.creation_time, offset_now);

  uint64_t start = w.written;
  std::string header = zip_local_header(e);
  if (!archive_write(w, header.data(), header.size())) {
    zip_source_close(source);
    roll_back(w, start);
    return zip_error_write;
  }
  uint64_t data_start = w.written;
  source_reader reader{source};
  bool ok;
  if (e.method == zip_method_deflated) {
    uint64_t packed = 0;
    pack_io io{&reader, &w};
    ok = deflate_stream(pack_read, pack_write, &io, pack_level, &e.flags, &packed) == nullptr &&
         w.written == data_start + packed;
  } else {
    ok = copy_stored(w, reader);
  }
  zip_source_close(source);
  if (!ok) {
    roll_back(w, start);
    return zip_error_write;
  }
  e.crc = reader.crc;
  e.compressed_size = uint32_t(w.written - data_start);
  e.uncompressed_size = uint32_t(reader.bytes);
  e.flags &= uint16_t(~zip_flag_data_descriptor);

  header = zip_local_header(e);
  if (!zip_file_seek(w.file, start)) {
    roll_back(w, start);
    return zip_error_seek;
  }
  bool rewritten = zip_file_write(w.file, header.data(), uint32_t(header.size()));
  if (!zip_file_seek(w.file, w.written)) {
    roll_back(w, start);
    return zip_error_seek;
  }
  if (!rewritten) {
    roll_back(w, start);
    return zip_error_write;
  }
  w.entries.push_back(std::move(e));
  return zip_ok;
}

uint32_t finish(zip_writer& w) {
  if (!w.file) return zip_error_write;
  uint64_t directory_offset = w.written;
  for (const zip_entry_header& e : w.entries) {
    std::string central = zip_central_header(e);
    if (!archive_write(w, central.data(), central.size())) return zip_error_write;
  }
  std::string end = zip_end_record(uint32_t(w.entries.size()), uint32_t(w.written - directory_offset),
                                   uint32_t(directory_offset) + w.offset_base);
  if (!archive_write(w, end.data(), end.size())) return zip_error_write;
  w.finished = true;
  return zip_ok;
}

}  // namespace

zip_archive* zip_create(const char16_t* path) {
  tzset();
  auto* w = new (std::nothrow) zip_writer;
  if (!w) return nullptr;
  w->file = path ? zip_file_create(path) : nullptr;
  if (!w->file) {
    delete w;
    return nullptr;
  }
  auto* a = new (std::nothrow) zip_archive{zip_mode_writer, w};
  if (!a) {
    zip_file_close(w->file);
    delete w;
  }
  return a;
}

uint32_t zip_add_file(zip_archive* archive, const char16_t* name, const char16_t* source_path) {
  if (!archive || !archive->writer) return zip_error_argument;
  if (archive->mode != zip_mode_writer) return zip_error_not_writer;
  if (!name || !source_path) return zip_error_argument;
  return add(*archive->writer, name, source_path);
}

uint32_t zip_close(zip_archive*& archive) {
  if (!archive || !archive->writer) return zip_error_argument;
  if (archive->mode != zip_mode_writer) return zip_error_not_writer;
  zip_writer* w = archive->writer;
  uint32_t result = w->finished ? zip_ok : finish(*w);
  if (w->file) zip_file_close(w->file);
  delete w;
  delete archive;
  archive = nullptr;
  return result;
}
