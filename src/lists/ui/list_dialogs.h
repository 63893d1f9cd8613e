#pragma once

#include <QDialog>
#include <vector>

#include "lists/list_export.h"
#include "lists/list_import.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace pelorus {

// "Importa da altro ricevitore": all services or only those this receiver shows, the DiSEqC port
// of each satellite the list has, and whether the channels are appended or replace the list. OK
// stores the choices in `choice`.
class ImportListDialog : public QDialog {
  Q_OBJECT

 public:
  ImportListDialog(const std::vector<int>& satellites, ImportChoice& choice,
                   QWidget* parent = nullptr);

 private:
  void Accept();

  ImportChoice& choice_;
  std::vector<int> satellites_;
  QCheckBox* all_ = nullptr;
  std::vector<QComboBox*> ports_;
  QRadioButton* replace_ = nullptr;
};

// "Esporta per altro ricevitore": the format, and the satellite of each DiSEqC port. OK stores
// the choices in `choice`; a satellite that cannot be read keeps the dialog open.
class ExportListDialog : public QDialog {
  Q_OBJECT

 public:
  ExportListDialog(ExportChoice& choice, QWidget* parent = nullptr);

 private:
  void Accept();

  ExportChoice& choice_;
  QRadioButton* vdr_ = nullptr;
  std::vector<QLineEdit*> satellites_;
  QLabel* problem_ = nullptr;
};

}  // namespace pelorus
