#include "console/console_unit.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <string_view>
#include <vector>

#include "console/write_bytes.h"

namespace {

// Every write the console makes, as separate pieces, in place of the system call.
std::vector<std::string> writes;
std::size_t largest_write = 0;  // 0: take everything
int failure_errno = 0;          // set: every write fails with it

ssize_t capture_write(int, const void* data, std::size_t size) {
  if (failure_errno != 0) {
    errno = failure_errno;
    return -1;
  }
  if (largest_write != 0 && size > largest_write) size = largest_write;
  writes.emplace_back(static_cast<const char*>(data), size);
  return static_cast<ssize_t>(size);
}

std::string all_written() {
  std::string out;
  for (const auto& piece : writes) out += piece;
  return out;
}

class console_output : public testing::Test {
 protected:
  void SetUp() override { start(false); }

  void TearDown() override { console::replace_write_call(nullptr); }

  static void start(bool shared) {
    writes.clear();
    largest_write = 0;
    failure_errno = 0;
    console::replace_write_call(capture_write);
    console::open_console(shared, shared);
  }

  static void record(std::initializer_list<std::string_view> items) {
    console::begin_list_record();
    for (const auto item : items) console::put_text(item);
    console::end_list_record();
  }

  static void result_line(std::string_view label, double lower, double upper) {
    console::begin_list_record();
    console::put_text(label);
    console::put_real(lower);
    console::put_real(upper);
    console::end_list_record();
  }
};

TEST_F(console_output, first_record_has_no_line_advance_and_items_join) {
  record({"  "});
  record({"    Estimation of lower and upper limits on effect", " in accordance"});
  EXPECT_EQ(all_written(),
            "  \r\n    Estimation of lower and upper limits on effect in accordance");
  // The line advance and the text go out as separate writes.
  ASSERT_EQ(writes.size(), 3u);
  EXPECT_EQ(writes[1], "\r\n");
}

TEST_F(console_output, result_lines_place_reals_in_24_character_fields) {
  result_line("with 68.27% ", 0.0, 1.29);
  result_line("with 68.27% ", 3.0, 17.8);
  EXPECT_EQ(all_written(),
            "with 68.27%   0.000000000000000E+000        1.290000000000000\r\n"
            "with 68.27%        3.000000000000000       17.800000000000000");
}

TEST_F(console_output, long_character_item_continues_on_a_new_record) {
  const std::string hundred(100, 'x');
  record({hundred});
  EXPECT_EQ(all_written(), std::string(79, 'x') + "\r\n" + std::string(21, 'x'));
}

TEST_F(console_output, character_item_filling_the_line_ends_the_record) {
  record({std::string(79, 'y'), "z"});
  EXPECT_EQ(all_written(), std::string(79, 'y') + "\r\nz");
}

TEST_F(console_output, real_that_does_not_fit_moves_whole) {
  console::begin_list_record();
  console::put_text(std::string(60, 'a'));
  console::put_real(1.5);
  console::end_list_record();
  // Its field's padding moves along; the first blank is the new record's control.
  EXPECT_EQ(all_written(),
            std::string(60, 'a') + "\r\n" + std::string(6, ' ') + "1.500000000000000");
}

TEST_F(console_output, prompt_leaves_its_line_open_for_the_next_record) {
  record({"b  - supposed background"});
  console::write_prompt();
  EXPECT_EQ(all_written(), "b  - supposed background\r\n\r\nNm, b : ");
  writes.clear();
  // Input from a pipe: the next record continues the prompt's line, whole.
  record({"effect's limits are equal:"});
  EXPECT_EQ(all_written(), " effect's limits are equal:");
}

TEST_F(console_output, terminal_input_ends_the_line_itself) {
  start(true);
  record({"b  - supposed background"});
  console::write_prompt();
  writes.clear();
  console::before_console_read();  // after the prompt: nothing to write
  EXPECT_EQ(all_written(), "");
  console::after_console_record_read();  // the user's Enter ended the line
  record({"effect's limits are equal:"});
  EXPECT_EQ(all_written(), "effect's limits are equal:");
}

TEST_F(console_output, terminal_read_after_a_closed_record_breaks_the_line) {
  start(true);
  record({"text"});
  writes.clear();
  console::before_console_read();
  EXPECT_EQ(all_written(), "\r\n");
}

TEST_F(console_output, end_of_run_ends_an_unterminated_line_once) {
  console::end_of_run();
  EXPECT_EQ(all_written(), "");
  record({"text"});
  writes.clear();
  console::end_of_run();
  EXPECT_EQ(all_written(), "\r\n");
}

TEST_F(console_output, short_writes_are_completed) {
  largest_write = 3;
  record({"a record of some length"});
  EXPECT_EQ(all_written(), "a record of some length");
}

TEST_F(console_output, failed_text_write_stops_with_its_report) {
  const std::string full =
      "\r\nrun-time error F6422: WRITE\\(CON\\)\r\n- no space left on device\r\n";
  const std::string refused =
      "\r\nrun-time error F6421: WRITE\\(CON\\)\r\n- file read-only or locked against "
      "writing\r\n";
  const std::pair<int, const std::string*> cases[] = {
      {ENOSPC, &full},   {EDQUOT, &full}, {EFBIG, &full},    {EACCES, &refused},
      {EBADF, &refused}, {EIO, &refused}, {EROFS, &refused},
  };
  for (const auto& [error, report] : cases) {
    SCOPED_TRACE(error);
    EXPECT_EXIT(
        {
          failure_errno = error;
          record({"text"});
        },
        testing::ExitedWithCode(1), *report);
  }
}

// Only the bytes of a line advance fail: the records themselves are written.
ssize_t fail_line_advances(int fd, const void* data, std::size_t size) {
  if (std::string_view(static_cast<const char*>(data), size) != "\r\n")
    return capture_write(fd, data, size);
  errno = EIO;
  return -1;
}

TEST_F(console_output, failed_line_advance_is_ignored) {
  console::replace_write_call(fail_line_advances);
  record({"one"});
  record({"two"});
  EXPECT_EQ(all_written(), "onetwo");
}

}  // namespace
