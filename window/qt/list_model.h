// The items of the list box, kept as bytes in a few large blocks so that a million paths stay
// small and fast. The view learns of appended rows when control returns to the event loop, in one
// step.
#pragma once

#include <QAbstractListModel>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace orvane {

class ByteListModel final : public QAbstractListModel {
 public:
  explicit ByteListModel(QObject* parent) : QAbstractListModel(parent) {}

  // The index of the new item, or -1 when there is no memory for it.
  int append(std::string_view text);
  void clear();
  int count() const { return static_cast<int>(ends_.size()); }
  std::string_view item(int index) const;
  void set_row_height(int height) { row_height_ = height; }
  // Tells the view of every row appended so far.
  void publish();

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  // Items are written one after the other into the last block; one that does not fit starts a
  // new block. Blocks never grow or move, so appending never copies what the list holds (a
  // single growing buffer needs its old and its new copy at once, twice the memory at its peak).
  static constexpr std::size_t kBlockBytes = std::size_t{1} << 20;
  struct Block {
    std::unique_ptr<char[]> bytes;
    std::size_t capacity = 0;
    std::size_t used = 0;
    int first = 0;  // index of the first item written into it
  };

  std::vector<Block> blocks_;
  std::vector<std::uint64_t> ends_;  // end offset of each item in its block
  int published_ = 0;
  bool publish_queued_ = false;
  int row_height_ = 16;
};

}  // namespace orvane
