#pragma once
// A host wrapped around another that writes down, in order, everything the
// console is given through the door (each clock reading and each input) and
// marks each wait and each shown frame, so the run can be given back exactly.
// The console cannot tell it from the host inside.

#include "platform/host.h"
#include "platform/journal/journal_writer.h"

namespace vorn::journal {

class RecordingHost : public Host {
 public:
  RecordingHost(Host& inner, JournalWriter& writer) : inner_(inner), writer_(writer) {}

  double Clock() override;
  void Wait(double seconds, InputSink& input) override;
  void WaitUntil(double clock, InputSink& input) override;
  void Show(const Frame& frame) override;
  // Also true once the journal cannot be written (a full disk): the console
  // then ends and the caller reports the writer's error.
  bool Finished() override { return writer_.Failed() || inner_.Finished(); }

 private:
  // Writes each input down before the console gets it.
  class Tee : public InputSink {
   public:
    Tee(JournalWriter& writer, InputSink& sink) : writer_(writer), sink_(sink) {}
    void Hand(const InputEvent& event) override {
      writer_.Input(event);
      sink_.Hand(event);
    }

   private:
    JournalWriter& writer_;
    InputSink& sink_;
  };

  Host& inner_;
  JournalWriter& writer_;
};

}  // namespace vorn::journal
