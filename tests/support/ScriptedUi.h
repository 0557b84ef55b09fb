// A UiServices for tests: answers message boxes from a queue and records every
// message shown (text, caption, flags); scripts the file, find, colour and
// folder dialogs the same way.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "platform/base/UiServices.h"

class ScriptedUi : public UiServices {
public:
  struct Message {
    std::string text;
    std::string caption;
    unsigned flags;
    unsigned Icon() const { return flags & MB_ICONMASK; }
  };

  // Queues the answer of the next message box; unqueued boxes answer IDOK
  // (or IDYES for Yes/No questions).
  void Answer(int result) { answers_.push_back(result); }
  // Queues the answer of the next open or save dialog; unqueued dialogs are cancelled.
  void AnswerFile(const std::string& fileName, int filterIndex = 1) {
    fileAnswers_.push_back({fileName, filterIndex});
  }
  // Queues the answer of the next colour or folder dialog (nothing: cancelled).
  void AnswerColor(std::optional<uint32_t> color) { colorAnswers_.push_back(color); }
  void AnswerFolder(const std::string& folder) { folderAnswers_.push_back(folder); }
  // Presses Find in the find dialog shown last; false when none was shown.
  bool PressFind(const std::string& text, bool matchCase = false, bool down = true);
  // Makes the next n Escape polls report a press.
  void PressEscape(int polls = 1) { escapes_ += polls; }

  const std::vector<Message>& Shown() const { return shown_; }
  const Message& Shown(std::size_t i) const { return shown_.at(i); }
  // Forgets the answers, the record and the dialogs' records; an open find dialog stays open.
  void Clear();
  // Clear, and closes the find dialog: the state at the start of every test.
  void Reset();

  struct FileDialogCall {
    bool save;
    FileDialogOptions options;
  };
  const std::vector<FileDialogCall>& FileDialogs() const { return fileDialogs_; }
  const std::vector<FindDialogOptions>& FindDialogs() const { return findDialogs_; }

  int MessageBox(const std::string& text, const std::string& caption, unsigned flags) override;
  bool EscapePressed() override;
  void SetBusyCursor(bool busy) override { busyDepth += busy ? 1 : -1; }
  void SetClipboardText(const std::string& text) override { clipboard = text; }
  std::string ClipboardText() override { return clipboard; }
  FileChoice OpenFileDialog(const FileDialogOptions& options) override;
  FileChoice SaveFileDialog(const FileDialogOptions& options) override;
  void ShowFindDialog(const FindDialogOptions& options, FindHandler onFind) override;
  std::optional<uint32_t> ChooseColor(uint32_t initial) override;
  std::string ChooseFolder(const std::string& title, const std::string& startDir) override;
  // Records the document; the viewer starts unless documentViewerFails is set.
  bool OpenDocument(const std::string& path) override {
    documents.push_back(path);
    return !documentViewerFails;
  }
  void BeginLongCalculation() override { ++calculationDepth; }
  void EndLongCalculation() override { --calculationDepth; }

  int busyDepth = 0;
  int calculationDepth = 0;
  std::string clipboard;
  std::vector<std::string> documents;  // handed to the viewer, in order
  bool documentViewerFails = false;

private:
  std::deque<int> answers_;
  std::vector<Message> shown_;
  int escapes_ = 0;
  std::deque<FileChoice> fileAnswers_;
  std::deque<std::optional<uint32_t>> colorAnswers_;
  std::deque<std::string> folderAnswers_;
  std::vector<FileDialogCall> fileDialogs_;
  std::vector<FindDialogOptions> findDialogs_;
  FindHandler findHandler_;

  FileChoice NextFile(bool save, const FileDialogOptions& options);
};

// The scripted UI installed by the test main; reset before every test.
ScriptedUi& TestUi();

// Whether a shown message has this text, caption and icon; a failure shows the message.
testing::AssertionResult IsMessage(const ScriptedUi::Message& message, const std::string& text,
                                   const std::string& caption, unsigned icon);
