#include "window/qt/list_model.h"

#include <QMetaObject>
#include <QSize>
#include <limits>
#include <new>

namespace orvane {

int ByteListModel::append(std::string_view text) {
  if (ends_.size() >= static_cast<std::size_t>(std::numeric_limits<int>::max())) return -1;
  const std::size_t old_size = bytes_.size();
  try {
    bytes_.append(text);
    ends_.push_back(bytes_.size());
  } catch (const std::bad_alloc&) {
    bytes_.resize(old_size);
    return -1;
  }
  if (!publish_queued_) {
    publish_queued_ = true;
    QMetaObject::invokeMethod(this, &ByteListModel::publish, Qt::QueuedConnection);
  }
  return static_cast<int>(ends_.size()) - 1;
}

void ByteListModel::clear() {
  beginResetModel();
  bytes_.clear();
  bytes_.shrink_to_fit();
  ends_.clear();
  ends_.shrink_to_fit();
  published_ = 0;
  endResetModel();
}

std::string_view ByteListModel::item(int index) const {
  if (index < 0 || index >= count()) return {};
  const std::uint64_t begin = index == 0 ? 0 : ends_[index - 1];
  return std::string_view(bytes_).substr(begin, ends_[index] - begin);
}

void ByteListModel::publish() {
  publish_queued_ = false;
  if (published_ >= count()) return;
  beginInsertRows(QModelIndex(), published_, count() - 1);
  published_ = count();
  endInsertRows();
}

int ByteListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : published_;
}

QVariant ByteListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= published_) return {};
  if (role == Qt::DisplayRole) {
    const std::string_view text = item(index.row());
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  }
  if (role == Qt::SizeHintRole) return QSize(1, row_height_);
  return {};
}

}  // namespace orvane
