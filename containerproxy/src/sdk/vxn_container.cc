#include "sdk/vxn_container.h"

#include <zip.h>

#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#include "sdk/container_layout.h"

namespace vxn_container {
namespace {

constexpr int kKnownModeBits = Container::kRead | Container::kWrite | Container::kCreate;
// Enough to tell our marker from anything else; the marker is a few bytes long.
constexpr size_t kMarkerReadLimit = 64;

String zipErrorText(int code) {
  zip_error_t error;
  zip_error_init_with_code(&error, code);
  String text(zip_error_strerror(&error));
  zip_error_fini(&error);
  return text;
}

String archiveErrorText(zip_t* archive) { return String(zip_strerror(archive)); }

bool validMode(int mode) {
  if ((mode & ~kKnownModeBits) != 0) return false;
  if ((mode & (Container::kRead | Container::kWrite)) == 0) return false;
  return (mode & Container::kCreate) == 0 || (mode & Container::kWrite) != 0;
}

Result openFailure(const String& path, int code) {
  switch (code) {
    case ZIP_ER_NOZIP:
      return Result::Failure("File " + path + " is not a container: " + zipErrorText(code));
    case ZIP_ER_INCONS:
    case ZIP_ER_EOF:
    case ZIP_ER_CRC:
    case ZIP_ER_MULTIDISK:
      return Result::Failure("Container " + path + " is damaged: " + zipErrorText(code));
    default:
      return Result::Failure("Cannot open container " + path + ": " + zipErrorText(code));
  }
}

// Reads at most `limit` bytes of entry `name`; false when it cannot be read.
bool readSmallEntry(zip_t* archive, const char* name, size_t limit, std::string* data) {
  zip_file_t* file = zip_fopen(archive, name, 0);
  if (file == nullptr) return false;
  data->assign(limit, '\0');
  const zip_int64_t n = zip_fread(file, data->data(), limit);
  zip_fclose(file);
  if (n < 0) return false;
  data->resize(static_cast<size_t>(n));
  return true;
}

// Reads a whole entry into memory; for property entries only, which are small.
bool readEntry(zip_t* archive, zip_int64_t index, std::string* data) {
  zip_stat_t info;
  if (zip_stat_index(archive, static_cast<zip_uint64_t>(index), 0, &info) != 0 ||
      (info.valid & ZIP_STAT_SIZE) == 0) {
    return false;
  }
  zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(index), 0);
  if (file == nullptr) return false;
  data->assign(static_cast<size_t>(info.size), '\0');
  const zip_int64_t n = zip_fread(file, data->data(), data->size());
  // One more read must report the end: it is where the entry's CRC is checked.
  char extra;
  const bool atEnd = n == static_cast<zip_int64_t>(data->size()) && zip_fread(file, &extra, 1) == 0;
  zip_fclose(file);
  return atEnd;
}

// Adds `data` as entry `name`, replacing an entry of that name; libzip frees the copy.
bool addEntry(zip_t* archive, const std::string& name, const std::string& data) {
  void* copy = nullptr;
  if (!data.empty()) {
    copy = std::malloc(data.size());
    if (copy == nullptr) return false;
    std::memcpy(copy, data.data(), data.size());
  }
  zip_source_t* source = zip_source_buffer(archive, copy, data.size(), 1);
  if (source == nullptr) {
    std::free(copy);
    return false;
  }
  if (zip_file_add(archive, name.c_str(), source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8) < 0) {
    zip_source_free(source);
    return false;
  }
  return true;
}

}  // namespace

Container::Container(zip* archive, const String& path, int mode)
    : archive_(archive), path_(path), mode_(mode) {}

Container::~Container() {
  // Close normally ends the archive; this only runs for a container Open gave up on.
  if (archive_ != nullptr) zip_discard(archive_);
}

Result Container::Open(const String& path, int mode, const Configuration& configuration,
                       Container** container) {
  *container = nullptr;
  if (!validMode(mode)) {
    return Result::Failure(
        String::FromNarrow("Invalid container open mode " + std::to_string(mode)));
  }
  const String format = configuration.Get("format");
  if (format != String(kFormat)) {
    return Result::Failure("Unsupported container format \"" + format + "\"");
  }
  if (path.IsEmpty() || path.ContainsNul()) {
    return Result::Failure("Invalid container path \"" + path + "\"");
  }

  std::error_code error;
  const std::filesystem::path file(path.Narrow());
  const std::filesystem::file_status status = std::filesystem::status(file, error);
  const bool exists = std::filesystem::exists(status);
  if (!exists && (mode & kCreate) == 0) {
    return Result::Failure("Container file " + path + " does not exist");
  }
  if (std::filesystem::is_directory(status)) {
    return Result::Failure("Cannot open container " + path + ": it is a directory");
  }
  // libzip takes an empty file for an empty archive; only creating may start from one.
  const bool fresh = !exists || std::filesystem::file_size(file, error) == 0;
  if (fresh && exists && (mode & kCreate) == 0) {
    return Result::Failure("File " + path + " is not a container: it is empty");
  }

  // An empty file has nothing to check, and libzip's consistency check refuses it.
  int flags = fresh ? ZIP_CREATE | ZIP_TRUNCATE : ZIP_CHECKCONS;
  if ((mode & kWrite) == 0) flags |= ZIP_RDONLY;
  int code = 0;
  zip_t* archive = zip_open(path.GetNarrow(), flags, &code);
  if (archive == nullptr) return openFailure(path, code);
  std::unique_ptr<Container> opened(new Container(archive, path, mode));

  if (fresh) {
    if (!addEntry(archive, kMarkerEntry, kMarkerContent)) {
      return Result::Failure("Cannot create container " + path + ": " + archiveErrorText(archive));
    }
  } else {
    std::string marker;
    if (!readSmallEntry(archive, kMarkerEntry, kMarkerReadLimit, &marker)) {
      return Result::Failure("File " + path + " is not a container: it has no container marker");
    }
    if (marker.compare(0, std::strlen(kFormat), kFormat) != 0) {
      return Result::Failure("Container " + path + " is not in format " + String(kFormat));
    }
  }
  const Result loaded = opened->LoadParts();
  if (!loaded.Ok()) return loaded;
  *container = opened.release();
  return Result::Success();
}

Result Container::Close(Container* container) {
  if (container == nullptr) return Result::Success();
  std::unique_ptr<Container> owned(container);
  Result result;
  if (owned->IsWritable()) {
    result = owned->WriteProperties();
    // zip_close writes a temporary file beside the container and renames it over the old one.
    if (result.Ok() && zip_close(owned->archive_) == 0) {
      owned->archive_ = nullptr;
    } else if (result.Ok()) {
      result = Result::Failure("Cannot write container " + owned->path_ + ": " +
                               archiveErrorText(owned->archive_));
    }
  }
  // Anything not written (a read-only container, or a failed write) is dropped by the
  // destructor; the spool file goes with the container.
  return result;
}

Result Container::LoadParts() {
  const zip_int64_t count = zip_get_num_entries(archive_, 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    const zip_uint64_t index = static_cast<zip_uint64_t>(i);
    const char* entryName = zip_get_name(archive_, index, ZIP_FL_ENC_GUESS);
    String name;
    if (entryName == nullptr || !isPartEntry(entryName, &name)) continue;
    zip_uint32_t typeLength = 0;
    const char* type = zip_file_get_comment(archive_, index, &typeLength, ZIP_FL_ENC_GUESS);
    std::unique_ptr<ContainerPart> part(new ContainerPart(
        this, index, name,
        type == nullptr ? String() : String::FromNarrow(std::string_view(type, typeLength))));
    partsByName_[name] = part.get();
    parts_.push_back(std::move(part));
  }
  return Result::Success();
}

Result Container::GetParts(std::vector<ContainerPart*>* parts) {
  parts->clear();
  parts->reserve(parts_.size());
  for (const auto& part : parts_) parts->push_back(part.get());
  return Result::Success();
}

Result Container::GetPart(const String& name, ContainerPart** part) {
  auto it = partsByName_.find(name);
  if (it == partsByName_.end()) {
    *part = nullptr;
    return Result::Failure("Part " + name + " not found in container " + path_);
  }
  *part = it->second;
  return Result::Success();
}

Result Container::CreatePart(const String& name, const String& type, ContainerPart** part) {
  *part = nullptr;
  if (!IsWritable()) return Result::Failure("Container " + path_ + " is not open for writing");
  // An entry name is a C string: a NUL would cut the name short.
  if (name.IsEmpty() || name.ContainsNul()) {
    return Result::Failure("Invalid part name \"" + name + "\"");
  }
  if (type.ContainsNul()) return Result::Failure("Invalid type for part " + name);
  if (partsByName_.count(name) != 0) {
    return Result::Failure("Part " + name + " already exists in container " + path_);
  }
  zip_source_t* empty = zip_source_buffer(archive_, nullptr, 0, 0);
  if (empty == nullptr) {
    return Result::Failure("Cannot create part " + name + ": " + archiveErrorText(archive_));
  }
  const zip_int64_t index =
      zip_file_add(archive_, partEntryName(name).c_str(), empty, ZIP_FL_ENC_UTF_8);
  if (index < 0) {
    zip_source_free(empty);
    return Result::Failure("Cannot create part " + name + ": " + archiveErrorText(archive_));
  }
  const std::string& typeText = type.Narrow();
  if (!typeText.empty() &&
      (typeText.size() > 0xFFFF ||
       zip_file_set_comment(archive_, static_cast<zip_uint64_t>(index), typeText.data(),
                            static_cast<zip_uint16_t>(typeText.size()), ZIP_FL_ENC_UTF_8) != 0)) {
    zip_delete(archive_, static_cast<zip_uint64_t>(index));
    return Result::Failure("Cannot record the type of part " + name);
  }
  std::unique_ptr<ContainerPart> created(
      new ContainerPart(this, static_cast<uint64_t>(index), name, type));
  *part = created.get();
  partsByName_[name] = created.get();
  parts_.push_back(std::move(created));
  return Result::Success();
}

Result Container::LoadProperties(const String& key, std::map<String, String>** properties) {
  auto cached = properties_.find(key);
  if (cached != properties_.end()) {
    *properties = &cached->second;
    return Result::Success();
  }
  if (key.ContainsNul()) return Result::Failure("Invalid property key \"" + key + "\"");
  std::map<String, String> loaded;
  const zip_int64_t index = zip_name_locate(archive_, propertiesEntryName(key).c_str(), 0);
  if (index >= 0) {
    std::string data;
    if (!readEntry(archive_, index, &data) || !decodeProperties(data, &loaded)) {
      return Result::Failure("Properties " + key + " of container " + path_ + " are damaged");
    }
  }
  *properties = &(properties_[key] = std::move(loaded));
  return Result::Success();
}

Result Container::GetProperties(const String& key, std::map<String, String>* properties) {
  std::map<String, String>* loaded = nullptr;
  const Result result = LoadProperties(key, &loaded);
  if (!result.Ok()) return result;
  *properties = *loaded;
  return Result::Success();
}

Result Container::SetProperty(const String& name, const String& value, const String& key) {
  if (!IsWritable()) return Result::Failure("Container " + path_ + " is not open for writing");
  std::map<String, String>* properties = nullptr;
  const Result result = LoadProperties(key, &properties);
  if (!result.Ok()) return result;
  (*properties)[name] = value;
  changedKeys_.insert(key);
  return Result::Success();
}

Result Container::WriteProperties() {
  for (const String& key : changedKeys_) {
    if (!addEntry(archive_, propertiesEntryName(key), encodeProperties(properties_[key]))) {
      return Result::Failure("Cannot write properties " + key + " of container " + path_ + ": " +
                             archiveErrorText(archive_));
    }
  }
  changedKeys_.clear();
  return Result::Success();
}

}  // namespace vxn_container
