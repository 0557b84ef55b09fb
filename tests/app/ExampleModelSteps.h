// The steps of applying the example stored model to two new chemicals, shared by
// the walks through the program.
#pragma once

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

#include "platform/qt/StringGrid.h"
#include "prepare/ISmMain.h"
#include "validate/AVmMain.h"

// The two new chemicals as the clipboard holds them: name, MolWt, qed, response.
inline const char* const kNewChemicals = "new one\t300\t0.5\t5.25\r\nnew two\t180\t0.75\t6.5";

// Opens the example model of the stored models with a double click.
inline void OpenExampleModel(TFormAvailMod& w) {
  const QList<QListWidgetItem*> found = w.ListBox->findItems("Example activity on MolWt and qed", Qt::MatchExactly);
  ASSERT_EQ(found.size(), 1);
  w.ListBox->setCurrentItem(found.front());
  emit w.ListBox->itemDoubleClicked(found.front());
}

// Makes the table of new objects two rows long and pastes the new chemicals into it.
inline void PasteNewChemicals(TFormAddExtData& w) {
  w.EditRow->setText("2");
  w.EditRowExit();
  w.StringGrid->SetSelection({1, 1, 1, 1});
  w.SpeedButtonPaste->click();
}
