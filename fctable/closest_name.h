#pragma once

#include <span>
#include <string>
#include <string_view>

namespace fctable {

// A word a user may type for a name the program spells otherwise:
// "confidence" for the option cl.
struct synonym {
  std::string_view word;
  std::string_view name;
};

// The name among `names` that a mistyped `typed` most likely meant, or ""
// when none is close. Letters count without case. A name is close when
// `typed` is a synonym of it, starts it or one of its synonyms (three
// letters or more, and only that name's), or lies within a few edits of it
// or of a synonym (one edit for every three letters, fewer edits than
// letters): "tolerence" means tolerance, "conf" and "level" mean cl, "nn"
// means n, but "x" means nothing. A tie goes to the name listed first.
// Synonyms of names not in `names` are passed over.
std::string closest_name(std::string_view typed, std::span<const std::string> names,
                         std::span<const synonym> synonyms);

}  // namespace fctable
