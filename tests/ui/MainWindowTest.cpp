// The real window over a temporary work directory: controls, and the wiring
// of Qt's events to the editor's handlers. The rules themselves are tested
// through a fake view in tests/editor.
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "QStringPrinter.h"
#include "app/MachineServices.h"
#include "fixtures/TempDir.h"
#include "store/AliasFile.h"
#include "store/Cencrpyt.h"
#include "ui/Frmkeyin.h"
#include "ui/Frmmain.h"

namespace kvr {
namespace {

using test::TempDir;
using test::WriteBytes;

// How long a test waits for the window system before it fails: many times what
// a loaded sanitizer build takes. A test waits for what it needs to see, so
// this bounds only a test that has already failed.
constexpr int kPatience = 60000;  // ms

// Runs `act` from the event loop once `widget` shows (a popup's or a modal's
// own loop). Waiting ends with the returned timer.
std::unique_ptr<QTimer> WhenShown(QWidget* widget, std::function<void()> act) {
    auto timer = std::make_unique<QTimer>();
    timer->setInterval(10);
    QObject::connect(timer.get(), &QTimer::timeout, [timer = timer.get(), widget, act] {
        if (widget->isVisible()) {
            timer->stop();
            act();
        }
    });
    timer->start();
    return timer;
}

// What a modal box showed.
struct BoxSeen {
    QString caption;
    QString text;
    QString details;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

// Waits for the next modal window, lets `answer` act on it and closes it.
// Returns the box's contents through `seen` (when it is a message box).
void AnswerNextModal(std::function<void(QWidget*)> answer, BoxSeen* seen = nullptr) {
    auto* timer = new QTimer(QApplication::instance());
    timer->setObjectName(QStringLiteral("AnswerNextModal"));
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, answer, seen] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible()) {
            return;
        }
        timer->stop();
        timer->deleteLater();
        if (auto* box = qobject_cast<QMessageBox*>(modal); box != nullptr && seen != nullptr) {
            *seen = {box->windowTitle(), box->text(), box->detailedText(), box->icon(),
                     box->standardButtons()};
        }
        answer(modal);
    });
    timer->start();
}

void ClickOk(QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    box->button(QMessageBox::Ok)->click();
}

std::string Section(const std::string& name, const std::string& database) {
    CEncrpyt cipher;
    const std::string key = "01:02:03 04/05/2024";
    return "[" + name + "]\r\nDatabaseName=" + cipher.Encrypt(key, database) +
           "\r\nServerName=" + cipher.Encrypt(key, "srv-" + name) +
           "\r\nUserName=" + cipher.Encrypt(key, "sa") +
           "\r\nPassWord=" + cipher.Encrypt(key, "pw;" + name) + "\r\n";
}

class MainWindowTest : public ::testing::Test {
  protected:
    void Open(const std::string& kvrcfg) {
        WriteBytes(dir_.File("KVRCFG"), kvrcfg);
        MainFormServices services = MachineServices();
        services.currentDirectory = [path = dir_.Path()] { return path; };
        services.publishSettings = [](const std::string&) {};
        services.publishedWorkDir = nullptr;
        services.openConnection = [this](const std::string& connectionString) {
            connectionStrings_.push_back(connectionString);
            return openConnection_ ? openConnection_(connectionString) : ConnectionOutcome{};
        };
        window_ = std::make_unique<TfmMain>(std::move(services));
        window_->show();
        WaitUntilActive();
        ASSERT_FALSE(window_->Form().FirstActivatePending());
        tree_ = Find<QTreeWidget>("TreeView1");
    }

    void TearDown() override {
        // A test that failed before its box showed must not answer a later box,
        // and one that left edits behind must not wait on the close question.
        DropPendingAnswers();
        if (window_) {
            AnswerNextModal([](QWidget* modal) {
                if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                    dialog->reject();
                } else {
                    modal->close();
                }
            });
            window_->close();
        }
        DropPendingAnswers();
    }
    // The window takes key focus once the application counts it as active.
    // The platform may report a popup's activation after the popup closed,
    // leaving no window active; as a user would, activate the window again.
    void WaitUntilActive() {
        ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activePopupWidget() == nullptr; },
                                    kPatience));
        if (QApplication::activeWindow() != window_.get()) {
            window_->activateWindow();
        }
        ASSERT_TRUE(QTest::qWaitFor(
            [this] { return QApplication::activeWindow() == window_.get(); }, kPatience));
    }
    static void DropPendingAnswers() {
        qDeleteAll(QApplication::instance()->findChildren<QTimer*>(
            QStringLiteral("AnswerNextModal"), Qt::FindDirectChildrenOnly));
    }

    // A missing control fails the test that looks for it, not the program:
    // GoogleTest reports the exception and goes on with the next test.
    template <class T>
    T* Find(const char* name) {
        T* found = window_->findChild<T*>(QString::fromLatin1(name));
        if (found == nullptr) {
            throw std::runtime_error(std::string("no control named ") + name);
        }
        return found;
    }
    QString BoxText(const char* name) { return Find<QLineEdit>(name)->text(); }

    // Opening the root is what shows its children (a view change only: no click).
    int ChildCount() {
        QTreeWidgetItem* root = tree_->topLevelItem(0);
        tree_->expandItem(root);
        return root->childCount();
    }
    QTreeWidgetItem* Child(int row) {
        QTreeWidgetItem* root = tree_->topLevelItem(0);
        tree_->expandItem(root);  // a view change only: no click
        return root->child(row);
    }
    void ClickItem(QTreeWidgetItem* item) {
        QTest::mouseClick(tree_->viewport(), Qt::LeftButton, {},
                          tree_->visualItemRect(item).center());
    }
    // Opens the popup menu as a right click on an item does (or, with no item,
    // as the keyboard's menu key does); the menu is read and closed once it
    // shows.
    std::vector<QString> OpenMenu(QTreeWidgetItem* item) {
        std::vector<QString> shown;
        QMenu* menu = window_->PopupMenu();
        const auto waiting = WhenShown(menu, [menu, &shown] {
            for (QAction* action : menu->actions()) {
                if (action->isVisible()) {
                    shown.push_back(action->objectName());
                }
            }
            menu->close();
        });
        if (item != nullptr) {
            const QPoint pos = tree_->visualItemRect(item).center();
            QContextMenuEvent event(QContextMenuEvent::Mouse, pos,
                                    tree_->viewport()->mapToGlobal(pos));
            QApplication::sendEvent(tree_->viewport(), &event);
        } else {
            QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(5, 5),
                                    tree_->mapToGlobal(QPoint(5, 5)));
            QApplication::sendEvent(tree_, &event);
        }
        WaitUntilActive();
        return shown;
    }

    TempDir dir_;
    std::unique_ptr<TfmMain> window_;
    QTreeWidget* tree_ = nullptr;
    std::vector<std::string> connectionStrings_;
    std::function<ConnectionOutcome(const std::string&)> openConnection_;
};

TEST_F(MainWindowTest, ControlsHaveTheirNamesPlacesAndTexts) {
    Open("");
    EXPECT_EQ(window_->objectName(), "fmMain");
    EXPECT_EQ(window_->windowTitle(), "Kavrolis");
    EXPECT_EQ(window_->size(), QSize(740, 296));
    EXPECT_EQ(window_->minimumSize(), QSize(740, 296));

    struct Row {
        const char* name;
        const char* parent;
        QRect place;
        const char16_t* text;
        int pixelSize;
    };
    const Row rows[] = {
        {"TreeView1", "fmMain", {0, 0, 283, 296}, nullptr, 15},
        {"Panel1", "fmMain", {283, 0, 457, 296}, nullptr, 15},
        {"edName", "Panel2", {8, 4, 430, 27}, nullptr, 19},
        {"Label5",
         "Panel1",
         {},  // as high as its font; see below
         u"修改KVR別名:請於上方黃框內修改,完成後請按下鍵盤\"Enter\"鍵。",
         13},
        {"Panel3", "Panel1", {}, nullptr, 15},
        {"Label1", "Panel1", {12, 64, 115, 19}, u"資料庫名稱:", 19},
        {"Label2", "Panel1", {12, 112, 115, 19}, u"伺服器名稱:", 19},
        {"Label3", "Panel1", {12, 160, 115, 19}, u"使用者帳號:", 19},
        {"Label4", "Panel1", {12, 208, 115, 19}, u"使用者密碼:", 19},
        {"edDatabaseName", "Panel1", {130, 61, 308, 27}, nullptr, 19},
        {"edServerName", "Panel1", {130, 109, 308, 27}, nullptr, 19},
        {"edUserName", "Panel1", {130, 157, 308, 27}, nullptr, 19},
        {"edPassWord", "Panel1", {130, 205, 308, 27}, nullptr, 19},
        {"btnSave", "Panel1", {187, 242, 94, 31}, u"存 檔", 15},
        {"btnTest", "Panel1", {315, 242, 86, 31}, u"連線測試", 15},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto* widget = Find<QWidget>(row.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->parentWidget()->objectName(), row.parent);
        EXPECT_EQ(widget->accessibleDescription(), row.name);
        if (auto* box = qobject_cast<QLineEdit*>(widget)) {
            // A box shows whole letters: its font's lines fit inside it, a
            // field box growing downwards, a font smaller only when needed.
            const QRect place = box->geometry();
            EXPECT_EQ(place.topLeft(), row.place.topLeft());
            EXPECT_EQ(place.width(), row.place.width());
            EXPECT_GE(place.height(), row.place.height());
            EXPECT_LE(box->sizeHint().height(), place.height());
            EXPECT_LE(box->font().pixelSize(), row.pixelSize);
            continue;
        }
        if (!row.place.isNull()) {
            EXPECT_EQ(widget->geometry(), row.place);
        }
        EXPECT_EQ(widget->font().pixelSize(), row.pixelSize);
        if (row.text != nullptr) {
            const QString text = QString::fromUtf16(row.text);
            if (auto* label = qobject_cast<QLabel*>(widget)) {
                EXPECT_EQ(label->text(), text);
            } else {
                EXPECT_EQ(qobject_cast<QPushButton*>(widget)->text(), text);
            }
        }
    }

    // The help line shows whole, between the name box and the rule, and the
    // rule stays above the first box.
    const QRect help = Find<QLabel>("Label5")->geometry();
    const QRect rule = Find<QFrame>("Panel3")->geometry();
    EXPECT_GE(help.top(), 31);
    EXPECT_GE(help.height(), Find<QLabel>("Label5")->fontMetrics().height());
    EXPECT_GT(rule.top(), help.bottom());
    EXPECT_LT(rule.bottom(), 61);
    EXPECT_EQ(rule.width(), 432);

    // A larger window gives the tree the room; the boxes keep their places.
    window_->resize(1000, 600);
    EXPECT_EQ(tree_->geometry(), QRect(0, 0, 543, 600));
    EXPECT_EQ(Find<QWidget>("Panel1")->geometry(), QRect(543, 0, 457, 600));
    EXPECT_EQ(Find<QWidget>("edDatabaseName")->geometry().topLeft(), QPoint(130, 61));
    window_->resize(740, 296);

    const char* const labels[] = {"Label1", "Label2", "Label3", "Label4"};
    const char* const boxes[] = {"edDatabaseName", "edServerName", "edUserName", "edPassWord"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Find<QLabel>(labels[i])->buddy(), Find<QLineEdit>(boxes[i])) << labels[i];
    }
    // Tab order: the four boxes, the two buttons, then round to the tree and
    // the name box, so that every control is reachable without a mouse.
    QWidget* next = Find<QWidget>("edDatabaseName");
    for (const char* name : {"edServerName", "edUserName", "edPassWord", "btnSave", "btnTest",
                             "TreeView1", "edName", "edDatabaseName"}) {
        do {
            next = next->nextInFocusChain();
        } while ((next->focusPolicy() & Qt::TabFocus) == 0);
        EXPECT_EQ(next->objectName(), name);
    }

    auto* password = Find<QLineEdit>("edPassWord");
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);
    EXPECT_EQ(
        password->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, password),
        '*');
    EXPECT_TRUE(password->font().bold());
    auto* name = Find<QLineEdit>("edName");
    EXPECT_TRUE(name->font().bold());
    EXPECT_EQ(name->palette().color(QPalette::Base), QColor(255, 255, 0));
    EXPECT_EQ(name->palette().color(QPalette::Text), QColor(0, 0, 255));

    EXPECT_TRUE(tree_->isHeaderHidden());
    EXPECT_EQ(tree_->indentation(), 19);
    ASSERT_EQ(tree_->topLevelItemCount(), 1);
    EXPECT_EQ(tree_->topLevelItem(0)->text(0), "Kavrolis");
    EXPECT_FALSE(Find<QPushButton>("btnTest")->isEnabled());
    // Disabled, it greys out like any button; enabled, it is blue.
    const QPalette testColours = Find<QPushButton>("btnTest")->palette();
    EXPECT_EQ(testColours.color(QPalette::Active, QPalette::ButtonText), QColor(0, 0, 255));
    EXPECT_NE(testColours.color(QPalette::Disabled, QPalette::ButtonText), QColor(0, 0, 255));

    QMenu* menu = Find<QMenu>("pmMenu");
    ASSERT_EQ(menu->actions().size(), 3);
    const char* const items[] = {"pmnNew", "pmnDelete", "pmnTest"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(menu->actions()[i]->objectName(), items[i]);
        EXPECT_EQ(menu->actions()[i]->data().toInt(), i + 1);
    }
}

TEST_F(MainWindowTest, ClickLoadsTheAliasAndArrowKeysDoNot) {
    Open(Section("beta", "db-beta") + Section("Alpha", "db-alpha"));
    EXPECT_FALSE(tree_->topLevelItem(0)->isExpanded());
    ASSERT_EQ(ChildCount(), 2);
    QTreeWidgetItem* alpha = Child(0);
    EXPECT_EQ(alpha->text(0), "Alpha");  // sorted
    EXPECT_FALSE(tree_->topLevelItem(0)->child(1)->isExpanded());

    ClickItem(alpha);
    EXPECT_EQ(BoxText("edName"), "Alpha");
    EXPECT_EQ(BoxText("edDatabaseName"), "db-alpha");
    EXPECT_EQ(BoxText("edServerName"), "srv-Alpha");
    EXPECT_EQ(BoxText("edUserName"), "sa");
    EXPECT_EQ(BoxText("edPassWord"), "pw;Alpha");
    EXPECT_TRUE(Find<QPushButton>("btnTest")->isEnabled());

    tree_->setFocus();
    QTest::keyClick(tree_, Qt::Key_Down);
    EXPECT_EQ(tree_->currentItem()->text(0), "beta");
    EXPECT_EQ(BoxText("edName"), "Alpha");
    EXPECT_EQ(BoxText("edDatabaseName"), "db-alpha");

    ClickItem(tree_->topLevelItem(0));
    EXPECT_EQ(BoxText("edName"), "");
    EXPECT_EQ(BoxText("edPassWord"), "");
    EXPECT_FALSE(Find<QPushButton>("btnTest")->isEnabled());
}

TEST_F(MainWindowTest, SaveWritesEncodedValuesAndSaysSo) {
    Open(Section("Alpha", "old"));
    ClickItem(Child(0));
    auto* database = Find<QLineEdit>("edDatabaseName");
    database->clear();
    QTest::keyClicks(database, "new db");
    Find<QLineEdit>("edPassWord")->setText(QString::fromUtf16(u"密碼;x"));

    BoxSeen seen;
    AnswerNextModal(ClickOk, &seen);
    QTest::mouseClick(Find<QPushButton>("btnSave"), Qt::LeftButton);

    EXPECT_EQ(seen.text, QString::fromUtf16(u"存檔完成!!"));
    EXPECT_EQ(seen.caption, "Kavrolis");
    EXPECT_EQ(seen.buttons, QMessageBox::Ok);
    EXPECT_EQ(seen.icon, QMessageBox::NoIcon);

    AliasFile file(dir_.Path());
    CEncrpyt cipher;
    EXPECT_EQ(cipher.Decrypt(file.ReadAliasField("Alpha", "DatabaseName")), "new db");
    EXPECT_EQ(cipher.Decrypt(file.ReadAliasField("Alpha", "ServerName")), "srv-Alpha");
    EXPECT_EQ(cipher.Decrypt(file.ReadAliasField("Alpha", "PassWord")), "密碼;x");
    EXPECT_EQ(file.ReadAliasField("Alpha", "DatabaseName").find("new"), std::string::npos);
}

// Another program changes KVRCFG: the tree follows on its own, the typed
// text stays, and a save over the other program's change asks first.
TEST_F(MainWindowTest, AnotherProgramsChangesReachTheWindow) {
    Open(Section("Alpha", "a") + Section("Beta", "b"));
    ClickItem(Child(0));
    Find<QLineEdit>("edDatabaseName")->setText("typed");
    AliasFile other(dir_.Path());
    other.DeleteAliasSection("Beta");
    other.AddAliasHeader("Gamma");
    other.WriteAliasField("Alpha", "UserName", CEncrpyt().Encrypt("k", "theirs"));

    QTreeWidgetItem* root = tree_->topLevelItem(0);
    QTRY_COMPARE_WITH_TIMEOUT(root->childCount() == 2 && root->child(1)->text(0) == "Gamma", true,
                              kPatience);
    EXPECT_EQ(root->child(0)->text(0), "Alpha");
    EXPECT_EQ(tree_->currentItem(), root->child(0));
    EXPECT_EQ(BoxText("edDatabaseName"), "typed");

    BoxSeen seen;
    AnswerNextModal(
        [](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
            box->button(QMessageBox::No)->click();
        },
        &seen);
    QTest::mouseClick(Find<QPushButton>("btnSave"), Qt::LeftButton);
    EXPECT_TRUE(seen.text.contains("[Alpha]"));
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_EQ(CEncrpyt().Decrypt(other.ReadAliasField("Alpha", "UserName")), "theirs");
    EXPECT_EQ(CEncrpyt().Decrypt(other.ReadAliasField("Alpha", "DatabaseName")), "a");
    Find<QLineEdit>("edDatabaseName")->setText("a");  // nothing left to ask about on close
}

TEST_F(MainWindowTest, FieldBoxesTurnAquaWhileFocused) {
    Open("");
    auto* database = Find<QLineEdit>("edDatabaseName");
    auto* server = Find<QLineEdit>("edServerName");
    const QColor window = QApplication::palette().color(QPalette::Base);
    database->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(database->palette().color(QPalette::Base), QColor(0, 255, 255));
    server->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(database->palette().color(QPalette::Base), window);
    EXPECT_EQ(server->palette().color(QPalette::Base), QColor(0, 255, 255));
}

TEST_F(MainWindowTest, RightClickSelectsTheNodeAndTheMenuFitsIt) {
    Open(Section("Alpha", "a") + Section("Beta", "b"));
    QTreeWidgetItem* beta = Child(1);

    EXPECT_EQ(OpenMenu(beta), (std::vector<QString>{"pmnDelete", "pmnTest"}));
    EXPECT_EQ(tree_->currentItem(), beta);
    EXPECT_TRUE(beta->isSelected());
    EXPECT_EQ(BoxText("edName"), "Beta");

    EXPECT_EQ(OpenMenu(tree_->topLevelItem(0)), (std::vector<QString>{"pmnNew"}));
    EXPECT_EQ(BoxText("edName"), "");

    // The menu key serves the selected node, wherever the pointer is.
    tree_->setCurrentItem(Child(0));
    EXPECT_EQ(OpenMenu(nullptr), (std::vector<QString>{"pmnDelete", "pmnTest"}));
    EXPECT_EQ(tree_->currentItem(), Child(0));
    EXPECT_EQ(BoxText("edName"), "Alpha");
    EXPECT_EQ(window_->PopupMenu(), Find<QMenu>("pmMenu"));  // the same menu every time
}

TEST_F(MainWindowTest, NewAliasComesFromTheNameDialog) {
    Open(Section("Alpha", "a"));
    tree_->setCurrentItem(tree_->topLevelItem(0));

    // Escape cancels.
    AnswerNextModal([](QWidget* modal) {
        auto* dialog = qobject_cast<TfmKeyIn*>(modal);
        ASSERT_NE(dialog, nullptr);
        QTest::keyClicks(dialog->Box(), "ignored");
        QTest::keyClick(dialog->Box(), Qt::Key_Escape);
    });
    Find<QAction>("pmnNew")->trigger();
    EXPECT_EQ(ChildCount(), 1);

    // Enter takes the name.
    AnswerNextModal([](QWidget* modal) {
        auto* dialog = qobject_cast<TfmKeyIn*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->objectName(), "fmKeyIn");
        EXPECT_EQ(dialog->windowTitle(), QString::fromUtf16(u"請輸入KVR別名後按Enter"));
        EXPECT_EQ(dialog->width(), 302);
        EXPECT_FALSE(dialog->windowFlags() & Qt::WindowCloseButtonHint);
        EXPECT_EQ(dialog->Box()->objectName(), "edTxt");
        // The box fills the dialog, as high as its font needs.
        EXPECT_EQ(dialog->Box()->geometry(), dialog->rect());
        EXPECT_GE(dialog->height(), std::max(29, dialog->Box()->sizeHint().height()));
        QTest::keyClicks(dialog->Box(), "  Gamma ");
        QTest::keyClick(dialog->Box(), Qt::Key_Return);
    });
    Find<QAction>("pmnNew")->trigger();
    QTreeWidgetItem* root = tree_->topLevelItem(0);
    ASSERT_EQ(root->childCount(), 2);
    EXPECT_EQ(root->child(1)->text(0), "Gamma");
    EXPECT_TRUE(root->isExpanded());
    EXPECT_TRUE(AliasFile(dir_.Path()).HasAliasHeader("Gamma"));
}

TEST_F(MainWindowTest, DeleteMovesTheSelectionToTheNextNode) {
    Open(Section("Alpha", "a") + Section("Beta", "b"));
    ClickItem(Child(0));
    AnswerNextModal([](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
        box->button(QMessageBox::Yes)->click();
    });
    Find<QAction>("pmnDelete")->trigger();

    QTreeWidgetItem* root = tree_->topLevelItem(0);
    ASSERT_EQ(root->childCount(), 1);
    ASSERT_NE(tree_->currentItem(), nullptr);
    EXPECT_TRUE(tree_->currentItem()->isSelected());
    EXPECT_EQ(BoxText("edName"), tree_->currentItem() == root ? "" : tree_->currentItem()->text(0));
    EXPECT_FALSE(AliasFile(dir_.Path()).HasAliasHeader("Alpha"));
}

// Keys reach the editor's handlers from the control that has the focus.
TEST_F(MainWindowTest, KeysReachTheirHandlers) {
    Open(Section("Alpha", "a") + Section("Beta", "b"));
    Child(0);
    tree_->setFocus();
    tree_->setCurrentItem(Child(0));
    QTest::keyClick(tree_, Qt::Key_Return);
    EXPECT_EQ(BoxText("edName"), "Alpha");
    tree_->setCurrentItem(Child(1));
    QTest::keyClick(tree_, Qt::Key_Space);
    EXPECT_EQ(BoxText("edName"), "Beta");

    // Shift+F10 opens the popup for the selected node.
    bool menuShown = false;
    {
        const auto waiting = WhenShown(window_->PopupMenu(), [&] {
            menuShown = true;
            window_->PopupMenu()->close();
        });
        QTest::keyClick(tree_, Qt::Key_F10, Qt::ShiftModifier);
    }
    EXPECT_TRUE(menuShown);
    WaitUntilActive();

    // F2 selects the name; Escape puts it back.
    auto* name = Find<QLineEdit>("edName");
    QTest::keyClick(tree_, Qt::Key_F2);
    EXPECT_TRUE(QTest::qWaitFor([&] { return name->hasFocus(); }, kPatience));
    EXPECT_EQ(name->selectedText(), "Beta");
    QTest::keyClicks(name, "Gamma");
    QTest::keyClick(name, Qt::Key_Escape);
    EXPECT_EQ(name->text(), "Beta");

    // Ctrl+S in a box, and Enter on the focused save button, both save.
    auto* server = Find<QLineEdit>("edServerName");
    server->setFocus();
    server->setText("one");
    BoxSeen seen;
    AnswerNextModal(ClickOk, &seen);
    QTest::keyClick(server, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(seen.text, QString::fromUtf16(u"存檔完成!!"));
    server->setText("two");
    auto* save = Find<QPushButton>("btnSave");
    save->setFocus();
    seen = {};
    AnswerNextModal(ClickOk, &seen);
    QTest::keyClick(save, Qt::Key_Return);
    EXPECT_EQ(seen.text, QString::fromUtf16(u"存檔完成!!"));
    EXPECT_EQ(CEncrpyt().Decrypt(AliasFile(dir_.Path()).ReadAliasField("Beta", "ServerName")),
              "two");

    // Closing with unsaved texts asks; Cancel keeps the window.
    server->setText("three");
    AnswerNextModal([](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        EXPECT_NE(box->button(QMessageBox::Cancel), nullptr);
        QTest::keyClick(box, Qt::Key_Escape);
    });
    EXPECT_FALSE(window_->close());
    EXPECT_TRUE(window_->isVisible());
    server->setText("two");
}

// The open runs off the GUI thread: the window repaints, takes no input, and
// btnTest stays disabled until the result box shows.
TEST_F(MainWindowTest, ConnectionTestBlocksInputAndReportsTheOutcome) {
    Open(Section("Alpha", "a"));
    ClickItem(Child(0));
    auto* test = Find<QPushButton>("btnTest");
    auto* save = Find<QPushButton>("btnSave");

    struct Case {
        bool succeeds;
        const char16_t* text;
        const char* details;
    };
    const Case cases[] = {
        {true, u"連線成功!!", ""},
        {false, u"連線失敗!!", "Login failed for user 'sa'."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.succeeds ? "success" : "failure");
        connectionStrings_.clear();
        std::atomic<bool> release{false};
        openConnection_ = [&](const std::string&) {
            while (!release) {
                QThread::msleep(5);
            }
            return ConnectionOutcome{c.succeeds, c.details};
        };
        bool disabledMeanwhile = false;
        QTimer::singleShot(100, [&] {
            disabledMeanwhile = !test->isEnabled();
            // Input during the test goes nowhere, now or later.
            QTest::mouseClick(save, Qt::LeftButton);
            QTest::mouseClick(test, Qt::LeftButton);
            release = true;
        });
        BoxSeen seen;
        AnswerNextModal(ClickOk, &seen);
        QTest::mouseClick(test, Qt::LeftButton);

        EXPECT_TRUE(disabledMeanwhile);
        EXPECT_TRUE(test->isEnabled());
        EXPECT_EQ(seen.text, QString::fromUtf16(c.text));
        EXPECT_EQ(seen.caption, "Kavrolis");
        EXPECT_TRUE(seen.details.contains(QString::fromLatin1(c.details)));
        EXPECT_EQ(seen.details.isEmpty(), c.succeeds);
        EXPECT_EQ(connectionStrings_.size(), 1u);  // the click during the test was eaten
        // No late save box either, once what is queued has run.
        BoxSeen late;
        AnswerNextModal(ClickOk, &late);
        QCoreApplication::processEvents();
        DropPendingAnswers();
        EXPECT_EQ(late.text, "");
    }
    ASSERT_FALSE(connectionStrings_.empty());
    EXPECT_NE(connectionStrings_[0].find("server=srv-Alpha;"), std::string::npos);
}

TEST_F(MainWindowTest, ReturnInTheNameBoxRenames) {
    Open(Section("Alpha", "a"));
    ClickItem(Child(0));
    auto* name = Find<QLineEdit>("edName");
    name->setFocus(Qt::TabFocusReason);
    name->selectAll();
    QTest::keyClicks(name, "Beta");

    AnswerNextModal([](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        box->button(QMessageBox::Yes)->click();
    });
    QTest::keyClick(name, Qt::Key_Return);  // the main key, not the keypad's Enter

    EXPECT_EQ(Child(0)->text(0), "Beta");
    EXPECT_TRUE(AliasFile(dir_.Path()).HasAliasHeader("Beta"));
}

TEST_F(MainWindowTest, ErrorBoxShowsTheErrorIcon) {
    Open(Section("Alpha", "a"));
    ClickItem(Child(0));
    Find<QLineEdit>("edDatabaseName")->setText(QString(CEncrpyt::kMaxValueLength + 1, 'x'));

    BoxSeen seen;
    AnswerNextModal(ClickOk, &seen);
    QTest::mouseClick(Find<QPushButton>("btnSave"), Qt::LeftButton);

    EXPECT_EQ(seen.caption, "Kavrolis");
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
}

// Our own texts come in Traditional Chinese under zh_TW; the system's stay as
// they are.
TEST_F(MainWindowTest, FailureDetailsAreTranslated) {
    const QByteArray before = qgetenv("LC_ALL");
    qputenv("LC_ALL", "zh_TW.UTF-8");
    Open(Section("Alpha", "a"));
    ClickItem(Child(0));
    openConnection_ = [](const std::string&) {
        return ConnectionOutcome{false, "Server message 4060 (severity 11): Cannot open database",
                                 FailureReason::DatabaseUnavailable};
    };
    BoxSeen seen;
    AnswerNextModal(ClickOk, &seen);
    QTest::mouseClick(Find<QPushButton>("btnTest"), Qt::LeftButton);
    qputenv("LC_ALL", before);
    EXPECT_EQ(seen.text, QString::fromUtf16(u"連線失敗!!"));
    EXPECT_TRUE(
        seen.details.startsWith(QString::fromUtf16(u"帳號與密碼已被接受，但無法開啟資料庫")))
        << seen.details.toStdString();
    EXPECT_TRUE(seen.details.endsWith("Cannot open database"));
}

TEST(NameDialog, EnterAcceptsAndEscapeRejects) {
    struct Row {
        Qt::Key key;
        int result;
    };
    for (const Row row :
         {Row{Qt::Key_Return, QDialog::Accepted}, Row{Qt::Key_Enter, QDialog::Accepted},
          Row{Qt::Key_Escape, QDialog::Rejected}}) {
        SCOPED_TRACE(row.key);
        TfmKeyIn dialog;
        AnswerNextModal([&](QWidget*) {
            QTest::keyClicks(dialog.Box(), "abc");
            QTest::keyClick(dialog.Box(), row.key);
        });
        EXPECT_EQ(dialog.exec(), row.result);
        EXPECT_EQ(dialog.Text(), "abc");
    }
}

}  // namespace
}  // namespace kvr
