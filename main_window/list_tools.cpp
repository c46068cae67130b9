#include "main_window/list_tools.h"

#include "main_window/missing_entries.h"
#include "main_window/prompt/prompt.h"
#include "model/playlist.h"
#include "platform/message_box.h"

#include <QAction>
#include <QMenu>

ListTools::ListTools(Playlist &list, MissingEntries &missing, MessageBox &messages, QWidget *window,
                     std::function<quint32()> seed)
    : QObject(window), m_list(list), m_missing(missing), m_messages(messages), m_window(window),
      m_seed(std::move(seed))
{
    m_next = makeAction("menunextmissing", QStringLiteral("选中下一个缺失的文件(&N)"), [this] { selectNextMissing(); });
    m_remove = makeAction("menuremovemissing", QStringLiteral("删除缺失的文件(&R)"), [this] { removeMissing(); });
    connect(&missing, &MissingEntries::missingCountChanged, this, &ListTools::updateEnabled);
    connect(&list, &Playlist::entriesChanged, this, &ListTools::updateEnabled);
    updateEnabled();
}

QAction *ListTools::makeAction(const char *name, const QString &caption, std::function<void()> run)
{
    auto *a = new QAction(caption, m_window);
    a->setObjectName(QString::fromLatin1(name));
    connect(a, &QAction::triggered, this, std::move(run));
    return a;
}

void ListTools::addTo(QMenu *menu)
{
    menu->addAction(m_next);
    menu->addAction(m_remove);

    m_sortMenu = new QMenu(QStringLiteral("排序(&S)"), menu);
    m_sortMenu->setObjectName(QStringLiteral("menusort"));
    m_sortMenu->menuAction()->setObjectName(QStringLiteral("menusort"));
    const struct {
        const char *name;
        const char *caption;
        ListOrder order;
    } orders[] = {
        {"menusortpath", "按路径(&P)", ListOrder::ByPath},
        {"menusortname", "按文件名(&N)", ListOrder::ByFileName},
        {"menusortfolder", "按文件夹和文件名(&F)", ListOrder::ByFolderAndFileName},
        {"menusortreverse", "反转顺序(&V)", ListOrder::Reversed},
        {"menusortshuffle", "随机打乱(&H)", ListOrder::Shuffled},
    };
    for (const auto &o : orders) {
        const ListOrder order = o.order;
        m_sortMenu->addAction(makeAction(o.name, QString::fromUtf8(o.caption), [this, order] { sort(order); }));
    }
    menu->addMenu(m_sortMenu);
    updateEnabled();
}

void ListTools::updateEnabled()
{
    const bool missing = m_missing.missingCount() > 0;
    m_next->setEnabled(missing);
    m_remove->setEnabled(missing);
    if (m_sortMenu)
        m_sortMenu->menuAction()->setEnabled(m_list.count() > 1);
}

void ListTools::selectNextMissing()
{
    const int n = m_list.count();
    for (int step = 1; step <= n; ++step) {
        const int i = (m_list.selection() + step + n) % n;
        if (m_missing.isMissing(m_list.entry(i))) {
            m_list.selectByUser(i);
            return;
        }
    }
}

void ListTools::removeMissing()
{
    const MissingEntries &missing = m_missing;
    const int removed = m_list.removeWhere([&missing](const QString &entry) { return missing.isMissing(entry); });
    if (removed > 0)
        m_messages.exclamation(QStringLiteral("已删除 %1 个缺失的文件。").arg(removed), kPromptTitle);
}

void ListTools::sort(ListOrder order)
{
    m_list.reorder(listOrder(m_list.entries(), order, m_list.rules(), m_seed ? m_seed() : 0));
}
