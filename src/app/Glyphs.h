// Toolbar glyphs drawn in code. Each icon carries two looks: the coloured
// enabled glyph and an embossed grey glyph for the disabled button.
#pragma once

#include <QIcon>
#include <QSize>
#include <string>

enum class Glyph { New, Open, Import, Save, ViewData, DataSetup, Calculate, ViewModels, Validate, Help };

// A 20 x 20 picture glyph.
QIcon GlyphIcon(Glyph glyph);

// A text glyph filling size (the wide buttons of the tools group).
QIcon TextGlyphIcon(const std::string& text, QSize size);
