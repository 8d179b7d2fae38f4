// The site's answer to a post: one record line per stored picture, in the
// form the posting control reads. Picture posts (drawing board, picture
// editor) get five fields per file field "image<N>", [(N|id|name|path|size)],
// and their thumbnails "timage<N>" no line of their own; profile posts get
// four fields per file, [(id|name|path|size)]. Lines end with a bare line
// feed, so no carriage return sticks to the last field.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/site/site_store.h"

namespace varn::host {

enum class PostForm { Picture, Profile };

inline constexpr std::string_view kPicturePostPath = "/post/picture";
inline constexpr std::string_view kProfilePostPath = "/post/profile";

// The form an address path asks for; none for any other path.
std::optional<PostForm> PostFormForPath(std::string_view path);

// N of a field named "image<N>" (decimal digits), as sent; none otherwise.
std::optional<std::string> PictureIndex(std::string_view fieldName);

std::string ReplyLines(PostForm form, const std::vector<StoredFile>& stored);

}  // namespace varn::host
