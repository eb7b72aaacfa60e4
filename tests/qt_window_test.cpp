// The Qt window against the control table, its keyboard handling, the credit label and the
// whole workflow through its buttons.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QListView>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include "platform/file_system.h"
#include "tests/dialog_doubles.h"
#include "tests/posix_test_support.h"
#include "window/qt/label_widget.h"
#include "window/qt/main_window.h"
#include "window/texts.h"

namespace orvane {
namespace {

using enum 控件;

// Catches the addresses the program hands to the desktop.
class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> opened;
 public slots:
  void open(const QUrl& url) { opened.push_back(url); }
};

struct QtWindow : ::testing::Test {
  std::unique_ptr<FileSystem> fs = make_system_file_system();
  启动窗口 window{*fs};
  testing::DialogDoubles dialogs;
  std::vector<std::string>& picks = dialogs.picks;
  std::vector<std::string>& messages = dialogs.messages;

  void SetUp() override {
    dialogs.install(window);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  }
  QWidget* focused() { return QApplication::focusWidget(); }
  void click(控件 c) { static_cast<QPushButton*>(window.widget(c))->click(); }
};

TEST_F(QtWindow, ControlsStandAsTheTableSays) {
  EXPECT_EQ(window.windowTitle().toStdString(), kWindowCaption);
  // Outer size, frame included; the client area gives up what the frame takes.
  QTest::qWait(50);
  EXPECT_EQ(window.frameGeometry().size(), QSize(kWindowWidth, kWindowHeight));
  EXPECT_EQ(window.minimumSize(), window.maximumSize()) << "the frame does not resize";
  EXPECT_FALSE(window.windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(window.windowFlags() & Qt::WindowCloseButtonHint);
  for (const ControlSpec& s : kControls) {
    QWidget* w = window.widget(s.id);
    ASSERT_NE(w, nullptr) << s.name;
    EXPECT_EQ(w->geometry(), QRect(s.left, s.top, s.width, s.height)) << s.name;
    EXPECT_EQ(w->isEnabled(), s.enabled) << s.name;
    EXPECT_TRUE(w->isVisible()) << s.name;
    const QString text = QString::fromUtf8(s.text.data(), static_cast<qsizetype>(s.text.size()));
    switch (s.kind) {
      case 控件类型::button:
        EXPECT_TRUE(qobject_cast<QPushButton*>(w)) << s.name;
        EXPECT_EQ(static_cast<QPushButton*>(w)->text(), text) << s.name;
        EXPECT_FALSE(static_cast<QPushButton*>(w)->isDefault());
        break;
      case 控件类型::label:
        EXPECT_TRUE(dynamic_cast<LabelWidget*>(w)) << s.name;
        EXPECT_EQ(window.caption(s.id), s.text) << s.name;
        EXPECT_EQ(w->focusPolicy(), Qt::NoFocus) << s.name;
        break;
      case 控件类型::list_box: {
        auto* view = qobject_cast<QListView*>(w);
        ASSERT_TRUE(view);
        EXPECT_EQ(view->model()->rowCount(), 0);
        EXPECT_EQ(view->selectionMode(), QAbstractItemView::SingleSelection);
        EXPECT_EQ(view->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        EXPECT_EQ(view->textElideMode(), Qt::ElideNone);
        break;
      }
      case 控件类型::progress_bar: {
        auto* bar = qobject_cast<QProgressBar*>(w);
        ASSERT_TRUE(bar);
        EXPECT_EQ(bar->minimum(), 0);
        EXPECT_EQ(bar->maximum(), 100);
        EXPECT_EQ(bar->value(), 0);
        EXPECT_FALSE(bar->isTextVisible());
        break;
      }
      case 控件类型::check_box:
        EXPECT_TRUE(qobject_cast<QCheckBox*>(w)) << s.name;
        EXPECT_EQ(static_cast<QCheckBox*>(w)->text(), text);
        EXPECT_FALSE(static_cast<QCheckBox*>(w)->isChecked());
        break;
    }
  }
}

TEST_F(QtWindow, TabFollowsTheTabOrderSkippingDisabledButtons) {
  EXPECT_EQ(focused(), window.widget(原始目录按钮));
  const auto walk = [&](Qt::Key key, Qt::KeyboardModifiers mods, int steps) {
    std::vector<QWidget*> seen;
    for (int i = 0; i < steps; ++i) {
      QTest::keyClick(focused(), key, mods);
      seen.push_back(focused());
    }
    return seen;
  };
  const auto w = [&](控件 c) { return window.widget(c); };
  EXPECT_EQ(walk(Qt::Key_Tab, Qt::NoModifier, 3),
            (std::vector<QWidget*>{w(列表框1), w(选择框1), w(原始目录按钮)}));
  EXPECT_EQ(walk(Qt::Key_Backtab, Qt::ShiftModifier, 3),
            (std::vector<QWidget*>{w(选择框1), w(列表框1), w(原始目录按钮)}));
  for (控件 c : {提取文件名按钮, 保存到按钮, 开始分类按钮}) window.set_disabled(c, 0);
  EXPECT_EQ(walk(Qt::Key_Tab, Qt::NoModifier, 6),
            (std::vector<QWidget*>{w(列表框1), w(开始分类按钮), w(选择框1), w(保存到按钮),
                                   w(提取文件名按钮), w(原始目录按钮)}));
}

TEST_F(QtWindow, FocusComesBackWhenTheWindowIsActivatedAgain) {
  window.widget(选择框1)->setFocus();
  QWidget other;
  other.show();
  other.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  EXPECT_EQ(focused(), window.widget(选择框1));
}

TEST_F(QtWindow, SpaceClicksTheFocusedButton) {
  const std::string chosen = "/";
  picks = {chosen};
  ASSERT_EQ(focused(), window.widget(原始目录按钮));
  QTest::keyClick(focused(), Qt::Key_Space);
  EXPECT_EQ(window.caption(标签1), chosen);
  EXPECT_TRUE(window.widget(提取文件名按钮)->isEnabled());
}

TEST_F(QtWindow, EnterDoesNothingAndEscFromTheListBoxCloses) {
  window.widget(列表框1)->setFocus();
  QTest::keyClick(window.widget(列表框1), Qt::Key_Return);
  EXPECT_TRUE(window.isVisible());
  QTest::keyClick(window.widget(列表框1), Qt::Key_Escape);
  EXPECT_FALSE(window.isVisible());
}

TEST_F(QtWindow, CreditLabelOpensItsPageOncePerDoubleClickEvenWhenEmpty) {
  UrlCatcher catcher;
  QDesktopServices::setUrlHandler("https", &catcher, "open");
  QWidget* credit = window.widget(标签3);
  // A double click arrives as press, release, double click, release.
  const QPoint at(300, 20);
  for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                            QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
    QMouseEvent event(type, at, credit->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(credit, &event);
  }
  EXPECT_EQ(catcher.opened.size(), 1);
  window.set_caption(标签3, "");
  QTest::mouseClick(credit, Qt::LeftButton, Qt::NoModifier, QPoint(370, 30));
  QTest::mouseClick(credit, Qt::RightButton);
  QTest::mouseClick(window.widget(标签1), Qt::LeftButton);
  QTest::mouseClick(window.widget(标签2), Qt::LeftButton);
  ASSERT_EQ(catcher.opened.size(), 2);
  EXPECT_EQ(catcher.opened[0].toString().toStdString(), kCreditAddress);
  QDesktopServices::unsetUrlHandler("https");
}

TEST_F(QtWindow, ChooseExtractAndReadTheListBack) {
  testing::TempDir dir;
  testing::make_dirs(dir / "sub");
  testing::write_file(dir / "a.txt", "a");
  testing::write_file(dir / "sub/b.jpg", "b");
  picks = {dir.path()};
  click(原始目录按钮);
  EXPECT_EQ(window.caption(标签1), dir.path());
  EXPECT_TRUE(window.widget(提取文件名按钮)->isEnabled());
  click(提取文件名按钮);
  EXPECT_EQ(window.item_count(列表框1), 2);
  EXPECT_EQ(window.item_text(列表框1, 0), dir / "a.txt");
  EXPECT_EQ(window.item_text(列表框1, 1), dir / "sub/b.jpg");
  EXPECT_TRUE(window.widget(保存到按钮)->isEnabled());
  QApplication::processEvents();
  EXPECT_EQ(static_cast<QListView*>(window.widget(列表框1))->model()->rowCount(), 2);
}

TEST_F(QtWindow, WholeWorkflowCopiesThenMoves) {
  testing::TempDir src, copies, moved;
  testing::make_dirs(src / "deep/er");
  testing::write_file(src / "README", "r");
  testing::write_file(src / "deep/a.JPG", "A");
  testing::write_file(src / "deep/er/b.jpg", "b");
  testing::write_file(src / "deep/er/c.tar.gz", "c");
  const std::vector<std::string> sorted = {"JPG/a.JPG", "README", "gz/c.tar.gz", "jpg/b.jpg"};

  picks = {src.path(), copies.path()};
  click(原始目录按钮);
  click(提取文件名按钮);
  click(保存到按钮);
  ASSERT_TRUE(window.widget(开始分类按钮)->isEnabled());
  click(开始分类按钮);
  EXPECT_EQ(testing::files_under(copies.path()), sorted);
  EXPECT_EQ(testing::files_under(src.path()).size(), 4u) << "copies leave the sources";
  EXPECT_EQ(messages.back(), native_text(kMessageDone));
  EXPECT_EQ(window.position(进度条1), 4);

  picks = {moved.path()};
  click(保存到按钮);
  static_cast<QCheckBox*>(window.widget(选择框1))->setChecked(true);
  click(开始分类按钮);
  EXPECT_EQ(testing::files_under(moved.path()), sorted);
  EXPECT_TRUE(testing::files_under(src.path()).empty()) << "moves take the sources";
  EXPECT_EQ(testing::read_file(moved / "gz/c.tar.gz"), "c");
  EXPECT_EQ(messages.size(), 2u);
}

}  // namespace
}  // namespace orvane

#include "qt_window_test.moc"
