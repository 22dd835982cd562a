#include "ui/Frmmain.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileSystemWatcher>
#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHash>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProxyStyle>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QSessionManager>
#include <QSpacerItem>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <exception>
#include <string_view>

#include "editor/FormControls.h"
#include "platform/Text.h"
#include "texts/Labels.h"
#include "texts/Texts.h"
#include "ui/FormFont.h"
#include "ui/Frmkeyin.h"
#include "ui/QtHelpers.h"

namespace kvr {
namespace {

// Outer size of the window: the client area plus a usual frame.
constexpr int kOuterWidth = FormGeometry::kOuterWidth;
constexpr int kOuterHeight = FormGeometry::kOuterHeight;
// What Windows reports for a key taken by an input method.
constexpr int kInputMethodKey = 229;

// Shows every character of the password box as "*", whatever the style's own
// mask character is.
class StarMaskStyle : public QProxyStyle {
  public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter) {
            return '*';
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// Windows' virtual-key code of the keys the editor tells apart; letters and
// digits keep their codes. Every other key gets a code no virtual key has.
int VirtualKey(const QKeyEvent& key) {
    const int code = key.key();
    switch (code) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return kKeyEnter;
        case Qt::Key_Escape:
            return kKeyEscape;
        case Qt::Key_Space:
            return kKeySpace;
        case Qt::Key_Delete:
            return kKeyDelete;
        case Qt::Key_Menu:
            return kKeyApps;
        default:
            break;
    }
    if (code >= Qt::Key_F1 && code <= Qt::Key_F24) {
        return kKeyF2 - 1 + (code - Qt::Key_F1);
    }
    if ((code >= Qt::Key_0 && code <= Qt::Key_9) || (code >= Qt::Key_A && code <= Qt::Key_Z)) {
        return code;
    }
    return 0x10000 | (code & 0xffff);
}

KeyModifiers ModifiersOf(const QKeyEvent& key) {
    const Qt::KeyboardModifiers m = key.modifiers();
    return {m.testFlag(Qt::ShiftModifier), m.testFlag(Qt::ControlModifier),
            m.testFlag(Qt::AltModifier)};
}

void Name(QObject* object, const char* name) {
    object->setObjectName(QString::fromLatin1(name));
    if (auto* widget = qobject_cast<QWidget*>(object)) {
        widget->setAccessibleDescription(QString::fromLatin1(name));
    }
}

// A colour for the enabled control only: disabled, it greys out as usual.
void SetEnabledColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Active, role, colour);
    palette.setColor(QPalette::Inactive, role, colour);
    widget->setPalette(palette);
}

}  // namespace

TfmMain::TfmMain(MainFormServices services, QWidget* parent)
    : QWidget(parent), form_(*this, std::move(services)) {
    Name(this, "fmMain");
    setWindowTitle(QString::fromStdU16String(MainForm::kRootText));
    setFont(FormFont(FormGeometry::kFontPixels));
    // Opens at the size of the form; larger sizes give the tree the room.
    resize(kClientWidth, kClientHeight);
    setMinimumSize(kClientWidth, kClientHeight);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QPoint centre = screen->availableGeometry().center();
        move(centre.x() - kOuterWidth / 2, centre.y() - kOuterHeight / 2);
    }
    BuildControls();
    BuildMenu();
    // Logging off or shutting down asks about unsaved texts as closing does;
    // Cancel refuses the end of the session where the session manager lets it.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
        if (manager.allowsInteraction() && !form_.FormCloseQuery()) {
            manager.cancel();
        }
        manager.release();
    });
    form_.FormCreate();
}

TfmMain::~TfmMain() = default;

void TfmMain::BuildControls() {
    // Every control from the form's table, in its order (the tab order).
    QHash<QString, QWidget*> parents{{QStringLiteral("fmMain"), this}};
    for (const FormControl& c : FormControls()) {
        QWidget* parent = parents.value(QString::fromLatin1(c.parent), this);
        const QRect place(c.left, c.top, c.width, c.height);
        const QString caption = QString::fromUtf16(c.caption);
        QWidget* widget = nullptr;
        switch (c.kind) {
            case ControlKind::Tree:
                TreeView1 = new QTreeWidget(parent);
                widget = TreeView1;
                break;
            case ControlKind::Panel: {
                auto* panel = new QFrame(parent);
                // Panel1 has a lowered bevel; Panel2 none.
                panel->setFrameStyle(parent == this ? QFrame::Panel | QFrame::Sunken
                                                    : QFrame::NoFrame);
                panel->setLineWidth(1);
                (parent == this ? Panel1 : Panel2) = panel;
                widget = panel;
                break;
            }
            case ControlKind::Rule:
                Panel3 = new QFrame(parent);
                Panel3->setFrameStyle(QFrame::HLine | QFrame::Sunken);
                Panel3->setLineWidth(1);
                widget = Panel3;
                break;
            case ControlKind::NameBox:
            case ControlKind::Box: {
                auto* box = new QLineEdit(parent);
                boxes_[static_cast<std::size_t>(c.box)] = box;
                box->installEventFilter(this);
                widget = box;
                break;
            }
            case ControlKind::Hint:
                Label5 = new QLabel(caption, parent);
                widget = Label5;
                break;
            case ControlKind::Label: {
                auto* label = new QLabel(caption, parent);
                // Right-aligned against its box, as all four are.
                label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
                labels_.push_back({label, c.box});
                widget = label;
                break;
            }
            case ControlKind::Button: {
                auto* button = new QPushButton(caption, parent);
                button->installEventFilter(this);
                // Enter presses the focused button, as Space does.
                button->setAutoDefault(true);
                (std::string_view(c.name) == "btnSave" ? btnSave : btnTest) = button;
                widget = button;
                break;
            }
        }
        Name(widget, c.name);
        parents.insert(QString::fromLatin1(c.name), widget);
        if (c.fontPixels != 0) {
            widget->setFont(FormFont(c.fontPixels, c.bold));
        }
        if (c.text) {
            const QColor colour(c.text->red, c.text->green, c.text->blue);
            if (c.kind == ControlKind::Button) {
                SetEnabledColour(widget, QPalette::ButtonText, colour);
            } else {
                SetTextColour(
                    widget, c.kind == ControlKind::NameBox ? QPalette::Text : QPalette::WindowText,
                    colour);
            }
        }
        if (c.background) {
            SetTextColour(widget, QPalette::Base,
                          QColor(c.background->red, c.background->green, c.background->blue));
        }
        widget->setGeometry(place);
        if (c.kind == ControlKind::NameBox || c.kind == ControlKind::Box) {
            FitBox(*static_cast<QLineEdit*>(widget), c);
        }
    }

    TreeView1->setHeaderHidden(true);
    TreeView1->setColumnCount(1);
    TreeView1->setIndentation(19);
    TreeView1->setRootIsDecorated(true);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
    TreeView1->setContextMenuPolicy(Qt::PreventContextMenu);
    TreeView1->installEventFilter(this);
    TreeView1->viewport()->installEventFilter(this);
    TreeView1->addTopLevelItem(NewItem(MainForm::kRootText));
    // Only a click runs the handler: moving the selection with the keys loads
    // nothing.
    connect(TreeView1, &QTreeWidget::itemClicked, this, [this] { form_.TreeView1Click(); });
    connect(TreeView1, &QTreeWidget::itemExpanded, this, [this] { CreatePendingItems(); });

    // As high as the font's lines, so that the rule below cuts no glyph.
    const FormControl& hint = FormControlNamed("Label5");
    const int helpHeight = std::max(hint.height, Label5->fontMetrics().height());
    Label5->setGeometry(hint.left, hint.top, hint.width, helpHeight);
    const FormControl& rule = FormControlNamed("Panel3");
    Panel3->setGeometry(rule.left, std::max(rule.top, hint.top + helpHeight), rule.width,
                        rule.height);

    for (const auto& [label, box] : labels_) {
        label->setBuddy(BoxWidget(box));
    }
    auto* maskStyle = new StarMaskStyle;
    maskStyle->setParent(edPassWord);
    edPassWord->setStyle(maskStyle);
    edPassWord->setEchoMode(QLineEdit::Password);
    connect(btnSave, &QPushButton::clicked, this, [this] { form_.btnSaveClick(); });
    connect(btnTest, &QPushButton::clicked, this, [this] { form_.btnTestClick(); });
    // Nothing to test until the list is there and an alias is shown.
    btnTest->setEnabled(false);

    setTabOrder(edDatabaseName, edServerName);
    setTabOrder(edServerName, edUserName);
    setTabOrder(edUserName, edPassWord);
    setTabOrder(edPassWord, btnSave);
    setTabOrder(btnSave, btnTest);
}

void TfmMain::FitBox(QLineEdit& box, const FormControl& control) {
    // A box shows whole letters: a field box grows downwards when its font's
    // lines need it, and a line taller still gets a smaller font.
    const int frame = box.sizeHint().height() - box.fontMetrics().height();
    const int line = box.fontMetrics().height();
    const int pixels = FittingFontPixels(control.fontPixels, line, MaxHeight(control) - frame);
    if (pixels != control.fontPixels) {
        box.setFont(FormFont(pixels, control.bold));
    }
    box.resize(box.width(), std::max(control.height, std::min(MaxHeight(control),
                                                              box.fontMetrics().height() + frame)));
}

void TfmMain::BuildMenu() {
    // One menu for the window's whole life, so assistive tools can find its
    // items at any time.
    pmMenu = new QMenu(this);
    Name(pmMenu, "pmMenu");
    struct Item {
        QAction*& action;
        const char* name;
        const char16_t* caption;
        int tag;
    };
    const Item items[] = {
        {pmnNew, "pmnNew", u"新增KVR別名", 1},
        {pmnDelete, "pmnDelete", u"刪除KVR別名", 2},
        {pmnTest, "pmnTest", u"連線測試", 3},
    };
    for (const Item& item : items) {
        item.action = pmMenu->addAction(QString::fromUtf16(item.caption));
        Name(item.action, item.name);
        item.action->setData(item.tag);
        const int tag = item.tag;
        connect(item.action, &QAction::triggered, this, [this, tag] { form_.pmnNewClick(tag); });
    }
}

// --- Qt events -------------------------------------------------------------

bool TfmMain::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) {
        form_.FormActivate();  // does its work on the first activation only
        WatchAliasFile();
    }
    return QWidget::event(e);
}

void TfmMain::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    // The tree takes whatever the form's size leaves; the boxes' panel keeps
    // its width at the right edge and its controls keep their places.
    const int panelWidth = FormGeometry::kPanelWidth;
    const int treeWidth = std::max(kTreeWidth, FormGeometry::TreeWidth(width(), panelWidth));
    TreeView1->setGeometry(0, 0, treeWidth, height());
    Panel1->setGeometry(treeWidth, 0, panelWidth, height());
}

void TfmMain::closeEvent(QCloseEvent* e) {
    // Not during a test; unsaved texts asked about first.
    if (!form_.FormCloseQuery()) {
        e->ignore();
        return;
    }
    form_.FormClose();
    e->accept();
}

bool TfmMain::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress) {
        const auto& key = *static_cast<QKeyEvent*>(e);
        const int vk = VirtualKey(key);
        if (form_.FormKeyDown(vk, ModifiersOf(key))) {
            return true;
        }
        // The menu key reaches the tree as a context-menu request of its own.
        if (watched == TreeView1 && vk != kKeyApps &&
            form_.TreeView1KeyDown(vk, ModifiersOf(key))) {
            return true;
        }
    }
    if (watched == TreeView1 || watched == TreeView1->viewport()) {
        if (e->type() != QEvent::ContextMenu) {
            return false;
        }
        auto* menuEvent = static_cast<QContextMenuEvent*>(e);
        QPoint globalPos = menuEvent->globalPos();
        if (menuEvent->reason() == QContextMenuEvent::Mouse) {
            // A right click on a node selects it; on empty space the menu
            // serves the node already selected.
            const QPoint pos = TreeView1->viewport()->mapFromGlobal(globalPos);
            if (QTreeWidgetItem* item = TreeView1->itemAt(pos)) {
                TreeView1->setCurrentItem(item);
            }
        } else if (QTreeWidgetItem* current = TreeView1->currentItem()) {
            globalPos =
                TreeView1->viewport()->mapToGlobal(TreeView1->visualItemRect(current).bottomLeft());
        }
        PopupAt(globalPos);
        return true;
    }

    auto* box = qobject_cast<QLineEdit*>(watched);
    if (box == nullptr) {
        return false;
    }
    // Focus that leaves for another window, a menu or a message box and comes
    // back is no entering or leaving of the box.
    const auto movesWithinWindow = [e] {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(e)->reason();
        return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
    };
    if (box == edName) {
        switch (e->type()) {
            case QEvent::FocusIn:
                if (movesWithinWindow()) {
                    form_.edNameEnter();
                }
                break;
            case QEvent::FocusOut:
                if (movesWithinWindow()) {
                    form_.edNameExit();
                }
                break;
            case QEvent::KeyPress:
                form_.edNameKeyDown(VirtualKey(*static_cast<QKeyEvent*>(e)));
                break;
            case QEvent::InputMethod:
                if (!static_cast<QInputMethodEvent*>(e)->commitString().isEmpty()) {
                    form_.edNameKeyDown(kInputMethodKey);
                }
                break;
            default:
                break;
        }
        return false;
    }
    Box field = Box::DatabaseName;
    if (box == edServerName) {
        field = Box::ServerName;
    } else if (box == edUserName) {
        field = Box::UserName;
    } else if (box == edPassWord) {
        field = Box::PassWord;
    } else if (box != edDatabaseName) {
        return false;
    }
    if (e->type() == QEvent::FocusIn && movesWithinWindow()) {
        form_.edDatabaseNameEnter(field);
    } else if (e->type() == QEvent::FocusOut && movesWithinWindow()) {
        form_.edDatabaseNameExit(field);
    }
    return false;
}

void TfmMain::OpenMenu() {
    QPoint pos = TreeView1->viewport()->rect().topLeft();
    if (QTreeWidgetItem* current = TreeView1->currentItem()) {
        pos = TreeView1->visualItemRect(current).bottomLeft();
    }
    PopupAt(TreeView1->viewport()->mapToGlobal(pos));
}

void TfmMain::FocusNameBox() {
    edName->setFocus(Qt::ShortcutFocusReason);
    edName->selectAll();
}

std::u16string TfmMain::Translate(SourceText text) {
    return platform::Utf8ToUtf16(texts::Translated(text));
}

void TfmMain::ShowWorkDirectory(const std::u16string& text) {
    const QString shown = QString::fromStdU16String(text);
    if (QTreeWidgetItem* root = TreeView1->topLevelItem(0)) {
        root->setToolTip(0, shown);
    }
    if (lbWorkDir == nullptr) {
        // Below the buttons, in the room the panel leaves at its foot.
        lbWorkDir = new QLabel(Panel1);
        Name(lbWorkDir, "lbWorkDir");
        lbWorkDir->setFont(FormFont(13));
        lbWorkDir->setGeometry(12, 277, 432, std::max(16, lbWorkDir->fontMetrics().height()));
        lbWorkDir->show();
    }
    lbWorkDir->setText(
        lbWorkDir->fontMetrics().elidedText(shown, Qt::ElideMiddle, lbWorkDir->width()));
    lbWorkDir->setToolTip(shown);
}

void TfmMain::PopupAt(const QPoint& globalPos) {
    form_.pmMenuPopup();
    if (pmnNew->isVisible() || pmnDelete->isVisible() || pmnTest->isVisible()) {
        pmMenu->exec(globalPos);  // a chosen item runs its command meanwhile
    }
    form_.pmMenuClosed();
}

}  // namespace kvr
