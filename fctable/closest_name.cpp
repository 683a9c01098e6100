#include "fctable/closest_name.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <vector>

namespace fctable {
namespace {

// Longer words are no typing slip of any name: they are not compared, which
// also bounds the cost of the distances below.
constexpr std::size_t longest_compared = 40;

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Edits (insert, delete, replace, swap of neighbours) from a to b; both at
// most longest_compared letters.
std::size_t edits(std::string_view a, std::string_view b) {
  std::array<std::array<std::size_t, longest_compared + 1>, longest_compared + 1> d{};
  for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t replace = d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, replace});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
      }
    }
  }
  return d[a.size()][b.size()];
}

// A word to compare `typed` with, and the name it stands for.
struct candidate {
  std::string_view word;
  std::string_view name;
};

}  // namespace

std::string closest_name(std::string_view typed, std::span<const std::string> names,
                         std::span<const synonym> synonyms) {
  if (typed.empty() || typed.size() > longest_compared) return {};
  std::string word;
  for (const char c : typed) word += lower(c);

  std::vector<candidate> candidates;
  for (const std::string& name : names) {
    if (name.size() <= longest_compared) candidates.push_back({name, name});
  }
  for (const synonym& s : synonyms) {
    const bool named = std::find(names.begin(), names.end(), s.name) != names.end();
    if (named && s.word.size() <= longest_compared) candidates.push_back({s.word, s.name});
  }

  for (const candidate& c : candidates) {
    if (c.word == word) return std::string(c.name);
  }
  constexpr std::size_t shortest_prefix = 3;
  if (word.size() >= shortest_prefix) {
    std::string_view started;
    bool one_name = true;
    for (const candidate& c : candidates) {
      if (!c.word.starts_with(word)) continue;
      if (!started.empty() && started != c.name) one_name = false;
      started = c.name;
    }
    if (!started.empty() && one_name) return std::string(started);
  }

  std::string_view best;
  std::size_t best_edits = longest_compared + 1;
  for (const candidate& c : candidates) {
    const std::size_t longer = std::max(word.size(), c.word.size());
    const std::size_t allowed = std::max<std::size_t>(1, longer / 3);
    const std::size_t n = edits(word, c.word);
    if (n <= allowed && n < longer && n < best_edits) {
      best = c.name;
      best_edits = n;
    }
  }
  return std::string(best);
}

}  // namespace fctable
