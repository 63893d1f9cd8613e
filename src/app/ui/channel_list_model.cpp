#include "channel_list_model.h"

#include "pictures.h"

namespace pelorus {
namespace {

Qt::Alignment QtAlignment(CellAlignment alignment) {
  switch (alignment) {
    case CellAlignment::kLeft:
      return Qt::AlignLeft | Qt::AlignVCenter;
    case CellAlignment::kRight:
      return Qt::AlignRight | Qt::AlignVCenter;
    case CellAlignment::kCenter:
      return Qt::AlignCenter;
  }
  return Qt::AlignLeft | Qt::AlignVCenter;
}

}  // namespace

ChannelListModel::ChannelListModel(QObject* parent) : QAbstractTableModel(parent) {}

void ChannelListModel::Refill(const SettingsImage& image, PidMode mode) {
  beginResetModel();
  rows_.clear();
  if (image) {
    rows_.reserve(image->size());
    for (size_t i = 0; i < image->size(); ++i) {
      rows_.push_back(BuildChannelRow((*image)[i], static_cast<int>(i), mode));
    }
  }
  endResetModel();
}

void ChannelListModel::RebuildRow(int row, const ChannelRecord& record, PidMode mode) {
  if (row < 0 || row >= rowCount()) return;
  rows_[static_cast<size_t>(row)] = BuildChannelRow(record, row, mode);
  emit dataChanged(index(row, 0), index(row, kChannelColumnCount - 1));
}

int ChannelListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ChannelListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kChannelColumnCount;
}

QVariant ChannelListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || index.column() >= kChannelColumnCount) {
    return {};
  }
  const ChannelRow& row = rows_[static_cast<size_t>(index.row())];
  switch (role) {
    case Qt::DisplayRole: {
      const std::string_view text = row.cells[static_cast<size_t>(index.column())];
      return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    }
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(
          QtAlignment(kChannelColumns[static_cast<size_t>(index.column())].alignment));
    case Qt::DecorationRole:
      return index.column() == 0 ? QVariant(RowPicture(row.icon)) : QVariant();
    default:
      return {};
  }
}

QVariant ChannelListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= kChannelColumnCount) return {};
  const ChannelColumn& column = kChannelColumns[static_cast<size_t>(section)];
  if (role == Qt::DisplayRole) return QString::fromLatin1(column.header);
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(QtAlignment(column.alignment));
  return {};
}

}  // namespace pelorus
