#pragma once

#include <algorithm>
#include <cassert>
#include <cstdint>

#include "fctable/table_settings.h"

namespace fctable {

// The background columns of a LaTeX block in the paper layout, unless
// --columns says otherwise. The widest cells of the 90 % grid at two
// decimals ("13.55, 28.52", 52 pt in 10 pt Computer Modern, 64 pt with the
// column's padding) make six columns and the n column 404 pt wide: a
// portrait A4 page (595 pt) with margins up to 3.3 cm. Eight would need
// margins of 1.1 cm.
inline constexpr std::uint64_t page_columns = 6;

// The paper layout's table, a row per n and a column per b, cut into
// blocks of at most `most` columns, as even as can be (31 columns at most 6
// a block: 6, 5, 5, 5, 5, 5, no lone last column), that are written one
// after the other, each with every n. A table row is one n in one block.
// The cells (one job row each) are counted block by block and, in a block,
// row by row: the order in which the limits job computes them and the
// stream writes them. With one block that is the order of the lists, n
// then b.
class paper_blocks {
 public:
  // counts, backgrounds: the sizes of the lists, at least 1; most: 0 for
  // every column in one block.
  paper_blocks(std::uint64_t counts, std::uint64_t backgrounds, std::uint64_t most)
      : counts_(counts), backgrounds_(backgrounds) {
    assert(counts_ > 0 && backgrounds_ > 0);
    blocks_ = most == 0 ? 1 : (backgrounds_ + most - 1) / most;
    narrow_ = backgrounds_ / blocks_;
    wide_blocks_ = backgrounds_ % blocks_;
  }

  std::uint64_t blocks() const { return blocks_; }

  std::uint64_t table_rows() const { return counts_ * blocks_; }

  // The first column of a block, and its columns: the first blocks hold one
  // column more than the others.
  std::uint64_t first_column(std::uint64_t block) const {
    return block * narrow_ + std::min(block, wide_blocks_);
  }

  std::uint64_t columns_in(std::uint64_t block) const {
    return narrow_ + (block < wide_blocks_ ? 1 : 0);
  }

  // Where a cell stands: its block, its row in the block (the index of n)
  // and its column in the block.
  struct place {
    std::uint64_t block;
    std::uint64_t row;
    std::uint64_t column;
  };

  place place_of(std::uint64_t cell) const {
    // The cells before block k number counts times its first column, and
    // its own cells fewer than counts times its columns: cell / counts is a
    // column of the block.
    const std::uint64_t some_column = cell / counts_;
    const std::uint64_t wide_columns = wide_blocks_ * (narrow_ + 1);
    const std::uint64_t block = some_column < wide_columns
                                    ? some_column / (narrow_ + 1)
                                    : wide_blocks_ + (some_column - wide_columns) / narrow_;
    const std::uint64_t in_block = cell - counts_ * first_column(block);
    const std::uint64_t columns = columns_in(block);
    return {block, in_block / columns, in_block % columns};
  }

  // The cell that starts a table row; for table_rows(), the number of cells.
  std::uint64_t first_cell(std::uint64_t table_row) const {
    const std::uint64_t block = table_row / counts_;
    if (block >= blocks_) return counts_ * backgrounds_;
    return counts_ * first_column(block) + table_row % counts_ * columns_in(block);
  }

  // The index of a cell in the order of the lists: n index times the
  // backgrounds, plus the b index.
  std::uint64_t list_index(std::uint64_t cell) const {
    const place p = place_of(cell);
    return p.row * backgrounds_ + first_column(p.block) + p.column;
  }

  std::uint64_t counts() const { return counts_; }

 private:
  std::uint64_t counts_;
  std::uint64_t backgrounds_;
  std::uint64_t blocks_;
  std::uint64_t narrow_;       // the columns of the narrower blocks, at least 1
  std::uint64_t wide_blocks_;  // the first blocks, one column wider
};

// The blocks of the settings' paper layout.
inline paper_blocks blocks_of(const table_settings& settings) {
  if (settings.axes == paper_axes::measurement_by_level) {
    return paper_blocks(settings.x.size(), settings.cl.size(), settings.columns);
  }
  return paper_blocks(settings.n.size(), settings.b.size(), settings.columns);
}

}  // namespace fctable
