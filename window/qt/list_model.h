// The items of the list box, kept as bytes in one buffer so that a million paths stay small and
// fast. The view learns of appended rows when control returns to the event loop, in one step.
#pragma once

#include <QAbstractListModel>
#include <cstdint>
#include <string>
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
  std::string bytes_;
  std::vector<std::uint64_t> ends_;  // end offset of each item in bytes_
  int published_ = 0;
  bool publish_queued_ = false;
  int row_height_ = 16;
};

}  // namespace orvane
