// The touch dialogs of the shared package: the message box behind
// Mensagem and the search dialog behind Pesquisa. Both are frameless,
// rounded, modal windows built from the touch controls; every key is
// handled by the dialog itself (its buttons never take the focus).

#include "TouchDialogs.h"

#include "BgrColor.h"
#include "BlendedControls.h"
#include "Glyphs.h"
#include "QulShared.h"
#include "StoreLocale.h"
#include "Cp1252.h"
#include "DataSetTableModel.h"
#include "VirtualKeys.h"

#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainterPath>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QTableView>

namespace {

const QColor kNavy(0, 0, 128);

QFont tahoma(int pixels, bool bold)
{
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

bool haveWidgets()
{
    return qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr;
}

// Frameless modal window with rounded corners, centred over the window the
// operator is using (or the screen).
void prepareTouchWindow(QDialog *d, const QSize &size)
{
    d->setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    d->setModal(true);
    d->setFixedSize(size);
    QPainterPath path;
    path.addRoundedRect(QRectF(0, 0, size.width(), size.height()), 20, 20);
    d->setMask(QRegion(path.toFillPolygon().toPolygon()));

    QRect area;
    if (QWidget *w = QApplication::activeWindow(); w && w != d)
        area = w->frameGeometry();
    else if (QScreen *s = QGuiApplication::primaryScreen())
        area = s->availableGeometry();
    if (area.isValid())
        d->move(area.center() - QPoint(size.width() / 2, size.height() / 2));
}

TBlendedShape *addShape(QWidget *parent, const QString &name, const QRect &geom, const QColor &c)
{
    auto *s = new TBlendedShape(parent);
    s->setObjectName(name);
    s->setGeometry(geom);
    s->setBrushColor(c);
    return s;
}

TBlendedButton *addButton(QWidget *parent, const QString &name, const QRect &geom, const QString &caption,
                          const QColor &face, const QFont &font)
{
    auto *b = new TBlendedButton(parent);
    b->setObjectName(name);
    b->setGeometry(geom);
    b->setCaption(caption);
    b->setFont(font);
    b->setColor(face);
    b->setFontColor(kNavy);
    b->setDownColor(Qt::black);
    b->setDownFontColor(Qt::white);
    return b;
}

// Runs a touch dialog modally and hands the keyboard back to the window
// that was active when it opened: with no window manager, X would leave the
// focus on the root window and every later key would be lost.
int execTouch(QDialog *d)
{
    const QPointer<QWidget> opener = QApplication::activeWindow();
    const int result = d->exec();
    if (opener && opener != d && opener->isVisible())
        opener->activateWindow();
    return result;
}

// ---------------------------------------------------------------- message

class TfrmMensagemTouch : public QDialog {
public:
    TfrmMensagemTouch(const QString &texto, const QString &titulo, int tipo)
        : QDialog(QApplication::activeWindow())
    {
        setObjectName(QStringLiteral("frmMensagemTouch"));
        const int kind = qBound(0, tipo, 3);
        const int w = 560;
        QLabel *text = buildText(texto);
        const int textW = w - 130;
        const int textH = qBound(60, text->heightForWidth(textW), 360);
        const int h = 48 + textH + 40 + 60 + 12;
        buildFrame(QSize(w, h), titulo, kind, textH, text->palette());
        text->setGeometry(100, 48 + 20, textW, textH);
        text->raise();
        buildButtons(QSize(w, h), tipo == 1);
        prepareTouchWindow(this, QSize(w, h));
    }

protected:
    void keyPressEvent(QKeyEvent *e) override
    {
        switch (e->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter: accept(); break;
        case Qt::Key_Escape: reject(); break;
        default: e->accept(); break;  // nothing else leaves the dialog
        }
    }

private:
    // The message's text, in navy; sized by the caller.
    QLabel *buildText(const QString &texto)
    {
        auto *text = new QLabel(this);
        text->setObjectName(QStringLiteral("lblMensagem"));
        text->setText(texto);
        text->setTextFormat(Qt::PlainText);
        text->setWordWrap(true);
        text->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        text->setFont(tahoma(18, true));
        QPalette tp = text->palette();
        tp.setColor(QPalette::WindowText, kNavy);
        text->setPalette(tp);
        return text;
    }

    // The frame, the title (the kind's own when none is given) and the
    // kind's picture beside a text `textH` high.
    void buildFrame(const QSize &size, const QString &titulo, int kind, int textH, const QPalette &tp)
    {
        static const char *const kTitles[] = {"Informação", "Confirmação", "Atenção", "Erro"};
        static const char *const kGlyphs[] = {"info", "pergunta", "aviso", "erro"};
        const int w = size.width(), h = size.height();
        addShape(this, QStringLiteral("blsBorda"), QRect(0, 0, w, h), colorFromBGR(8683643));
        addShape(this, QStringLiteral("blsFundo"), QRect(4, 4, w - 8, h - 8), colorFromBGR(12960962));
        addShape(this, QStringLiteral("blsCabec"), QRect(10, 10, w - 20, 28), colorFromBGR(14737632));
        auto *title = new QLabel(this);
        title->setObjectName(QStringLiteral("lblTitulo"));
        title->setText(titulo.trimmed().isEmpty() ? QString::fromUtf8(kTitles[kind]) : titulo);
        title->setAlignment(Qt::AlignCenter);
        title->setFont(tahoma(16, true));
        title->setPalette(tp);
        title->setGeometry(20, 12, w - 40, 24);

        auto *icon = new QLabel(this);
        icon->setObjectName(QStringLiteral("imgTipo"));
        icon->setPixmap(qulGlyph(QString::fromLatin1(kGlyphs[kind])));
        icon->setGeometry(30, 48 + (textH + 40 - 48) / 2, 48, 48);
    }

    // Sim and Não for a question, else OK.
    void buildButtons(const QSize &size, bool question)
    {
        const QColor cor5 = colorFromBGR(15658734);
        const QFont bf = tahoma(18, true);
        const int w = size.width(), by = size.height() - 12 - 60;
        if (question) {
            auto *sim = addButton(this, QStringLiteral("sbtSim"), QRect(w / 2 - 170, by, 150, 56),
                                  QStringLiteral("Sim"), cor5, bf);
            auto *nao = addButton(this, QStringLiteral("sbtNao"), QRect(w / 2 + 20, by, 150, 56),
                                  QStringLiteral("Não"), cor5, bf);
            sim->setGlyph(qulGlyph(QStringLiteral("confirmar")));
            nao->setGlyph(qulGlyph(QStringLiteral("excluir")));
            connect(sim, &QAbstractButton::clicked, this, &QDialog::accept);
            connect(nao, &QAbstractButton::clicked, this, &QDialog::reject);
        } else {
            auto *ok = addButton(this, QStringLiteral("sbtOk"), QRect(w / 2 - 75, by, 150, 56),
                                 QStringLiteral("OK"), cor5, bf);
            ok->setGlyph(qulGlyph(QStringLiteral("confirmar")));
            connect(ok, &QAbstractButton::clicked, this, &QDialog::accept);
        }
    }
};

// ---------------------------------------------------------------- search

// Text folded for matching: no accents, no letter case.
QString foldText(const QString &s)
{
    const QString d = s.normalized(QString::NormalizationForm_D);
    QString out;
    out.reserve(d.size());
    for (QChar c : d)
        if (c.category() != QChar::Mark_NonSpacing)
            out.append(c);
    return out.toCaseFolded();
}

// Rows of the dataset whose shown text contains the typed text in any
// column, or whose whole value of a field marked SearchWhole is the typed
// text. The dataset itself is never filtered.
class TPesquisaFilter : public QSortFilterProxyModel {
public:
    explicit TPesquisaFilter(TDataSetTableModel *source, QObject *parent)
        : QSortFilterProxyModel(parent), m_src(source)
    {
        setSourceModel(source);
        QObject::connect(source, &QAbstractItemModel::modelReset, this, [this] { m_hay.clear(); });
        if (TDataSet *ds = source->dataSet())
            for (int i = 0; i < ds->FieldCount(); ++i)
                if (ds->Fields(i)->SearchWhole)
                    m_whole.append(i);
    }

    void setNeedle(const QString &typed)
    {
        m_needle = foldText(typed);
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex &) const override
    {
        if (m_needle.isEmpty())
            return true;
        if (m_hay.size() != m_src->rowCount()) {
            m_hay.clear();
            m_hay.reserve(m_src->rowCount());
            for (int r = 0; r < m_src->rowCount(); ++r) {
                QString all;
                for (int c = 0; c < m_src->columnCount(); ++c) {
                    all += m_src->displayText(r, c);
                    all += kColumnEnd;  // no match across two columns
                }
                // The whole values after the shown text, each between two
                // kWholeEnd, which nothing typed holds.
                for (int f : m_whole)
                    all += kWholeEnd + m_src->dataSet()->valueAt(r, f).toString() + kWholeEnd;
                m_hay.append(foldText(all));
            }
        }
        if (row < 0 || row >= m_hay.size())
            return false;
        const QString &hay = m_hay[row];
        const qsizetype shown = m_whole.isEmpty() ? hay.size() : hay.indexOf(kWholeEnd);
        return QStringView(hay).left(shown).contains(m_needle)
               || (!m_whole.isEmpty() && hay.indexOf(kWholeEnd + m_needle + kWholeEnd, shown) >= 0);
    }

private:
    static constexpr QChar kColumnEnd = QChar(0x1F);
    static constexpr QChar kWholeEnd = QChar(0x1E);
    TDataSetTableModel *m_src;
    QList<int> m_whole;  // indexes of the fields matched whole
    QString m_needle;
    mutable QStringList m_hay;
};

class TfrmPesquisaTouch : public QDialog {
public:
    TfrmPesquisaTouch(TClientDataSet *ds, const QColor &cor1, const QColor &cor2, const QColor &cor3,
                      const QColor &cor5)
        : QDialog(QApplication::activeWindow()), m_ds(ds)
    {
        setObjectName(QStringLiteral("frmPesquisa"));
        const QSize tamanho(760, 560);
        buildHeader(tamanho, cor1, cor2, cor3);
        buildGrid(ds, cor3);
        buildCommands(cor5);
        buildKeyboard(cor2, cor5);

        // Start on the dataset's current row.
        const int cur = m_model->currentRow();
        selectProxyRow(cur >= 0 ? m_proxy->mapFromSource(m_model->index(cur, 0)).row() : 0);
        updateCount();
        prepareTouchWindow(this, tamanho);
    }

    // Typed text so far (for the operator and for tests).
    QString filterText() const { return m_text; }

protected:
    void keyPressEvent(QKeyEvent *e) override
    {
        const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
        switch (e->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter: pick(currentRow()); return;
        case Qt::Key_Escape: reject(); return;
        case Qt::Key_Up: move(-1); return;
        case Qt::Key_Down: move(+1); return;
        case Qt::Key_PageUp: move(-pageRows()); return;
        case Qt::Key_PageDown: move(+pageRows()); return;
        case Qt::Key_Home: selectProxyRow(0); return;
        case Qt::Key_End: selectProxyRow(m_proxy->rowCount() - 1); return;
        case Qt::Key_Backspace: backspace(); return;
        case Qt::Key_Delete: setText(QString()); return;
        default: break;
        }
        if (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
            return;
        QString typed;
        for (QChar c : e->text())
            if (c.isPrint())
                typed.append(c);
        if (!typed.isEmpty())
            setText(m_text + typed);
    }

private:
    // The frame, the title, and the typed text with the count of the rows
    // it leaves.
    void buildHeader(const QSize &size, const QColor &cor1, const QColor &cor2, const QColor &cor3)
    {
        const int w = size.width(), h = size.height();
        QPalette navy = palette();
        navy.setColor(QPalette::WindowText, kNavy);

        addShape(this, QStringLiteral("blsBorda"), QRect(0, 0, w, h), cor3);
        addShape(this, QStringLiteral("blsFundo"), QRect(4, 4, w - 8, h - 8), cor1);
        addShape(this, QStringLiteral("blsCabec"), QRect(10, 8, w - 20, 26), cor2);
        auto *title = new QLabel(QStringLiteral("Pesquisa"), this);
        title->setObjectName(QStringLiteral("lblTitulo"));
        title->setFont(tahoma(16, true));
        title->setPalette(navy);
        title->setAlignment(Qt::AlignCenter);
        title->setGeometry(20, 9, w - 40, 24);

        auto *lbl = new QLabel(QStringLiteral("Pesquisar:"), this);
        lbl->setFont(tahoma(16, true));
        lbl->setPalette(navy);
        lbl->setGeometry(16, 42, 100, 30);

        m_filtro = new QLabel(this);
        m_filtro->setObjectName(QStringLiteral("lblFiltro"));
        m_filtro->setFont(tahoma(16, true));
        m_filtro->setTextFormat(Qt::PlainText);
        m_filtro->setAutoFillBackground(true);
        QPalette fp = m_filtro->palette();
        fp.setColor(QPalette::Window, Qt::white);
        fp.setColor(QPalette::WindowText, Qt::black);
        m_filtro->setPalette(fp);
        m_filtro->setFrameShape(QFrame::Box);
        m_filtro->setIndent(6);
        m_filtro->setGeometry(116, 42, 380, 30);

        m_contagem = new QLabel(this);
        m_contagem->setObjectName(QStringLiteral("lblContagem"));
        m_contagem->setFont(tahoma(13, true));
        m_contagem->setPalette(navy);
        m_contagem->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_contagem->setGeometry(500, 42, 116, 30);
    }

    // The grid over the dataset's visible fields, through the filter.
    void buildGrid(TClientDataSet *ds, const QColor &cor3)
    {
        m_model = new TDataSetTableModel(ds, this);
        m_model->setLocale(localLoja());  // the store's numbers, as the screens show them
        if (m_model->columnCount() == 0) {  // nothing marked visible: show every field
            QList<TDataSetTableModel::Column> cols;
            for (int i = 0; i < ds->FieldCount(); ++i)
                cols.append({ds->Fields(i)->FieldName(), ds->Fields(i)->displayName(), 0, QColor(), QColor()});
            m_model->setColumns(cols);
        }
        m_proxy = new TPesquisaFilter(m_model, this);
        m_grid = new QTableView(this);
        m_grid->setObjectName(QStringLiteral("dbgPesquisa"));
        m_grid->setModel(m_proxy);
        m_grid->setFocusPolicy(Qt::NoFocus);
        m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
        m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
        m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
        m_grid->verticalHeader()->hide();
        m_grid->verticalHeader()->setDefaultSectionSize(26);
        m_grid->setShowGrid(false);
        m_grid->setWordWrap(false);
        m_grid->setFont(tahoma(13, true));
        m_grid->horizontalHeader()->setFont(tahoma(14, true));
        m_grid->horizontalHeader()->setStretchLastSection(true);
        m_grid->horizontalHeader()->setHighlightSections(false);
        m_grid->setStyleSheet(QStringLiteral("QTableView { color: #000080; background: white;"
                                             " selection-background-color: #000080; selection-color: white; }"
                                             "QHeaderView::section { background: %1; color: white;"
                                             " border: none; padding: 3px; }")
                                  .arg(cor3.name()));
        for (int c = 0; c < m_model->columnCount(); ++c)
            m_grid->setColumnWidth(c, m_model->columnWidth(c));
        m_grid->setGeometry(16, 80, 600, 250);
        connect(m_grid, &QAbstractItemView::clicked, this, [this](const QModelIndex &idx) { pick(idx.row()); });
    }

    // The commands at the right of the grid.
    void buildCommands(const QColor &face)
    {
        const QFont cf = tahoma(14, true);
        auto *up = addButton(this, QStringLiteral("sbtSobe"), QRect(628, 80, 118, 56), QString(), face, cf);
        up->setGlyph(qulGlyph(QStringLiteral("seta_cima")));
        connect(up, &QAbstractButton::clicked, this, [this] { move(-1); });
        auto *down = addButton(this, QStringLiteral("sbtDesce"), QRect(628, 144, 118, 56), QString(), face, cf);
        down->setGlyph(qulGlyph(QStringLiteral("seta_baixo")));
        connect(down, &QAbstractButton::clicked, this, [this] { move(+1); });
        auto *ok = addButton(this, QStringLiteral("sbtConfirmar"), QRect(628, 208, 118, 56),
                             QStringLiteral("Confirmar"), face, cf);
        ok->setGlyph(qulGlyph(QStringLiteral("confirmar")));
        ok->setSpacing(2);
        connect(ok, &QAbstractButton::clicked, this, [this] { pick(currentRow()); });
        auto *sair = addButton(this, QStringLiteral("sbtSair"), QRect(628, 272, 118, 56), QStringLiteral("Sair"),
                               face, cf);
        sair->setGlyph(qulGlyph(QStringLiteral("sair")));
        connect(sair, &QAbstractButton::clicked, this, &QDialog::reject);
    }

    void buildKeyboard(const QColor &panel, const QColor &face)
    {
        addShape(this, QStringLiteral("blsKeyBoard"), QRect(10, 340, 740, 212), panel);
        const QFont kf = tahoma(21, true);
        const char *const rows[4] = {"1234567890", "QWERTYUIOP", "ASDFGHJKL\xC3\x87-", "ZXCVBNM,."};
        for (int r = 0; r < 4; ++r) {
            const QString keys = QString::fromUtf8(rows[r]);
            for (int i = 0; i < keys.size(); ++i) {
                const QChar ch = keys.at(i);
                auto *k = addButton(this, QStringLiteral("sbtTecla_%1").arg(ch.unicode()),
                                    QRect(18 + i * 64, 348 + r * 50, 58, 44), QString(ch), face, kf);
                k->setTag(ch.unicode());
                connect(k, &QAbstractButton::clicked, this, [this, ch] { setText(m_text + ch); });
            }
        }
        const QFont wf = tahoma(14, true);
        auto *apagar = addButton(this, QStringLiteral("sbtApagar"), QRect(658, 348, 88, 44), QString(), face, wf);
        apagar->setGlyph(qulGlyph(QStringLiteral("apagar")));
        connect(apagar, &QAbstractButton::clicked, this, [this] { backspace(); });
        auto *limpar = addButton(this, QStringLiteral("sbtLimpar"), QRect(658, 398, 88, 44),
                                 QStringLiteral("Limpar"), face, wf);
        connect(limpar, &QAbstractButton::clicked, this, [this] { setText(QString()); });
        auto *espaco = addButton(this, QStringLiteral("sbtEspaco"), QRect(594, 498, 152, 44),
                                 QStringLiteral("Espaço"), face, wf);
        connect(espaco, &QAbstractButton::clicked, this, [this] { setText(m_text + QLatin1Char(' ')); });
    }

    void setText(const QString &t)
    {
        m_text = t;
        m_filtro->setText(t);
        m_proxy->setNeedle(t);
        selectProxyRow(0);
        updateCount();
    }

    void backspace()
    {
        if (!m_text.isEmpty())
            setText(m_text.left(m_text.size() - 1));
    }

    void updateCount()
    {
        const int n = m_proxy->rowCount();
        m_contagem->setText(n == 1 ? QStringLiteral("1 registro") : QStringLiteral("%1 registros").arg(n));
    }

    int currentRow() const
    {
        const QModelIndex cur = m_grid->selectionModel()->currentIndex();
        return cur.isValid() ? cur.row() : -1;
    }

    int pageRows() const
    {
        return qMax(1, m_grid->viewport()->height() / qMax(1, m_grid->verticalHeader()->defaultSectionSize()) - 1);
    }

    void selectProxyRow(int row)
    {
        QItemSelectionModel *sel = m_grid->selectionModel();
        if (m_proxy->rowCount() == 0) {
            sel->clear();
            return;
        }
        row = qBound(0, row, m_proxy->rowCount() - 1);
        const QModelIndex idx = m_proxy->index(row, 0);
        sel->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_grid->scrollTo(idx);
    }

    void move(int delta)
    {
        const int cur = currentRow();
        selectProxyRow(cur < 0 ? 0 : cur + delta);
    }

    void pick(int proxyRow)
    {
        if (proxyRow < 0 || proxyRow >= m_proxy->rowCount())
            return;  // nothing to pick (empty result)
        const QModelIndex src = m_proxy->mapToSource(m_proxy->index(proxyRow, 0));
        if (!src.isValid() || !m_ds)
            return;
        m_ds->SetRecNo(src.row() + 1);
        accept();
    }

    QPointer<TClientDataSet> m_ds;
    TDataSetTableModel *m_model = nullptr;
    TPesquisaFilter *m_proxy = nullptr;
    QTableView *m_grid = nullptr;
    QLabel *m_filtro = nullptr;
    QLabel *m_contagem = nullptr;
    QString m_text;
};

}  // namespace

// ---------------------------------------------------------------- entries

bool MensagemTouch(const QString &texto, const QString &titulo, const QString &, const QString &pergunta, int tipo,
                   const QString &, const QString &, int, TDataSet *)
{
    if (!haveWidgets())
        return false;
    // Kind 1 is the question; "S" in the fourth argument asks one as well.
    const int kind = pergunta == MensagemArg::Sim && tipo != mtPergunta ? int(mtPergunta) : tipo;
    TfrmMensagemTouch dlg(texto, titulo, kind);
    return execTouch(&dlg) == QDialog::Accepted;
}

void InstallTouchMensagem()
{
    SetMensagemHook(&MensagemTouch);
}

bool PesquisaTouch(TClientDataSet *dataSet, int, const QString &, quint32 cor1, quint32 cor2, quint32 cor3,
                   quint32 cor5, int)
{
    if (!dataSet || !dataSet->Active() || dataSet->IsEmpty() || dataSet->FieldCount() == 0 || !haveWidgets())
        return false;
    TfrmPesquisaTouch dlg(dataSet, colorFromBGR(cor1), colorFromBGR(cor2), colorFromBGR(cor3), colorFromBGR(cor5));
    return execTouch(&dlg) == QDialog::Accepted;
}
