#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "channels/channel_rows.h"
#include "common/editor_state.h"

namespace pelorus {

// The list's rows: row i shows record i of the image. Every text is built when the row is
// built, so painting only copies texts.
class ChannelListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit ChannelListModel(QObject* parent = nullptr);

  // Rebuilds every row from the image (none when no settings are loaded).
  void Refill(const SettingsImage& image, PidMode mode);
  // Rebuilds one row after its record changed.
  void RebuildRow(int row, const ChannelRecord& record, PidMode mode);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  const ChannelRow& Row(int row) const { return rows_[static_cast<size_t>(row)]; }

 private:
  std::vector<ChannelRow> rows_;
};

}  // namespace pelorus
