// Where a run keeps the source records its target rejected, so that a user
// can fix and load them again, each with the target's message.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

class udb_reject_file {
 public:
  virtual ~udb_reject_file() = default;
  // Keeps the source's record `number` (from 1) with the message that rejected it.
  virtual void add(std::uint64_t number, const std::string& message) = 0;
  virtual std::uint32_t count() const = 0;
  virtual const std::filesystem::path& path() const = 0;
  // The text file of the messages beside it.
  virtual std::filesystem::path messages_path() const = 0;
};
