#include "host/site/site_reply.h"

namespace varn::host {
namespace {

constexpr std::string_view kPictureField = "image";

std::string Record(const std::vector<std::string_view>& fields) {
  std::string line = "[(";
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += '|';
    line += fields[i];
  }
  return line + ")]\n";
}

}  // namespace

std::optional<PostForm> PostFormForPath(std::string_view path) {
  if (path == kPicturePostPath) return PostForm::Picture;
  if (path == kProfilePostPath) return PostForm::Profile;
  return std::nullopt;
}

std::optional<std::string> PictureIndex(std::string_view fieldName) {
  if (fieldName.substr(0, kPictureField.size()) != kPictureField) return std::nullopt;
  std::string_view digits = fieldName.substr(kPictureField.size());
  if (digits.empty()) return std::nullopt;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  return std::string(digits);
}

std::string ReplyLines(PostForm form, const std::vector<StoredFile>& stored) {
  std::string reply;
  for (const StoredFile& file : stored) {
    std::string size = std::to_string(file.size);
    if (form == PostForm::Profile) {
      reply += Record({file.id, file.name, file.urlPath, size});
    } else if (auto index = PictureIndex(file.fieldName)) {
      reply += Record({*index, file.id, file.name, file.urlPath, size});
    }
  }
  return reply;
}

}  // namespace varn::host
