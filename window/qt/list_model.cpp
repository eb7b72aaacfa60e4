#include "window/qt/list_model.h"

#include <QMetaObject>
#include <QSize>
#include <algorithm>
#include <cstring>
#include <iterator>
#include <limits>
#include <new>

namespace orvane {

int ByteListModel::append(std::string_view text) {
  if (ends_.size() >= static_cast<std::size_t>(std::numeric_limits<int>::max())) return -1;
  try {
    if (blocks_.empty() || blocks_.back().capacity - blocks_.back().used < text.size()) {
      Block block;
      block.capacity = std::max(kBlockBytes, text.size());
      block.bytes.reset(new char[block.capacity]);
      block.first = count();
      blocks_.push_back(std::move(block));
    }
    // A block left empty by a failure below is filled by the next item: its first is still right.
    Block& block = blocks_.back();
    ends_.push_back(block.used + text.size());
    if (!text.empty()) std::memcpy(block.bytes.get() + block.used, text.data(), text.size());
    block.used += text.size();
  } catch (const std::bad_alloc&) {
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
  blocks_.clear();
  blocks_.shrink_to_fit();
  ends_.clear();
  ends_.shrink_to_fit();
  published_ = 0;
  endResetModel();
}

std::string_view ByteListModel::item(int index) const {
  if (index < 0 || index >= count()) return {};
  // The item's block is the last one whose first item is not after it.
  const auto after = std::upper_bound(blocks_.begin(), blocks_.end(), index,
                                      [](int i, const Block& b) { return i < b.first; });
  const Block& block = *std::prev(after);
  const std::uint64_t begin = index == block.first ? 0 : ends_[index - 1];
  return std::string_view(block.bytes.get() + begin, ends_[index] - begin);
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
