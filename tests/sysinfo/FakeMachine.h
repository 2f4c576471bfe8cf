// A machine root built in a temporary directory: the files the system-information
// provider reads, written by the test.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include "machine/Machine.h"

namespace ambrel::test {

class FakeMachine {
 public:
  FakeMachine() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = std::filesystem::path(::testing::TempDir()) /
            ("machine-" + std::string(info->name()) + "-" + std::to_string(getpid()));
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_);
  }
  ~FakeMachine() { std::filesystem::remove_all(root_); }

  void Write(const std::string& relative, const std::string& content) const {
    const auto path = root_ / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
  }
  void MakeDir(const std::string& relative) const { std::filesystem::create_directories(root_ / relative); }
  // Sets the file's modification time to a UTC calendar time.
  void SetTime(const std::string& relative, int year, int month, int day, int hour, int minute, int second) const {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    const auto since = std::chrono::system_clock::from_time_t(timegm(&t));
    std::filesystem::last_write_time(root_ / relative, std::chrono::file_clock::from_sys(since));
  }

  platform::TMachine Machine() const {
    platform::TMachine machine;
    machine.Root = root_.string();
    return machine;
  }

 private:
  std::filesystem::path root_;
};

}  // namespace ambrel::test
