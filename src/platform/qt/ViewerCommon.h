// Helpers shared by the plot window, the matrix viewer and the other windows with
// a tool bar: tool-bar buttons and bevels, the extension rule of their save
// commands, the overwrite question and text files.
#pragma once

#include <QStyle>
#include <string>

class QFrame;
class QToolButton;
class QWidget;

// A flat tool-bar button with a standard icon and a hint.
QToolButton* MakeToolButton(QWidget* parent, QStyle::StandardPixmap icon, const char* hint);
// A flat tool-bar button with a text and a hint.
QToolButton* TextToolButton(QWidget* parent, const char* text, const char* hint = "");
// A sunken vertical line between groups of tool-bar buttons.
QFrame* MakeBevel(QWidget* parent);

// The file name's extension with its dot ("" when it has none).
std::string FileExtension(const std::string& fileName);
// fileName + ext, unless fileName's extension already equals ext (compared with
// or without letter case).
std::string WithExtension(const std::string& fileName, const std::string& ext, bool matchCase);
// True when path does not exist or the user agrees to overwrite it.
bool ConfirmOverwrite(const std::string& path);
// Writes text as the file's 8-bit bytes, replacing the file as a whole
// (platform/base/ReplaceFile.h), so that a failed save leaves an older file as
// it was; throws Exception when it cannot be written.
void WriteTextFile(const std::string& path, const std::string& text);
