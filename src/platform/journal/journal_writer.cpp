#include "platform/journal/journal_writer.h"

#include <chrono>

namespace vorn::journal {

namespace {

constexpr std::size_t kBlockBytes = 16 * 1024;
constexpr double kBlockSeconds = 0.5;

}  // namespace

double SteadySeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

bool JournalWriter::Start(const Header& header) {
  lastBlock_ = wall_();
  return Put(JournalEncoder::EncodeHeader(header));
}

bool JournalWriter::Put(const std::string& bytes) {
  if (!sink_.Put(bytes)) {
    failed_ = true;
    return false;
  }
  bytesWritten_ += bytes.size();
  return true;
}

void JournalWriter::FlushIfDue() {
  if (encoder_.PendingBytes() == 0) return;
  if (encoder_.PendingBytes() < kBlockBytes && wall_() - lastBlock_ < kBlockSeconds) return;
  FlushBlock();
}

void JournalWriter::FlushBlock() {
  if (failed_ || finished_ || encoder_.PendingBytes() == 0) return;
  block_.clear();
  encoder_.TakeBlock(block_);
  lastBlock_ = wall_();
  Put(block_);
}

bool JournalWriter::Finish() {
  if (failed_ || finished_) return !failed_;
  finished_ = true;
  return Put(encoder_.Closing(Event::Type::End));
}

}  // namespace vorn::journal
