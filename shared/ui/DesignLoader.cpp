#include "DesignLoader.h"

#include "BgrColor.h"
#include "BlendedControls.h"
#include "DataSetTableModel.h"
#include "Glyphs.h"

#include <QHeaderView>
#include <QLabel>
#include <QStackedWidget>
#include <QTableView>

namespace {

QList<QWidget *> treeOf(QWidget *root)
{
    QList<QWidget *> ws = root->findChildren<QWidget *>();  // parents before their children
    ws.prepend(root);
    return ws;
}

}  // namespace

void ApplyDesignProperties(QWidget *root)
{
    if (!root)
        return;
    const QList<QWidget *> ws = treeOf(root);
    for (QWidget *w : ws) {
        const QVariant altura = w->property("fontHeight");
        if (altura.isValid() && altura.toInt() < 0) {
            QFont f = w->font();
            f.setPixelSize(-altura.toInt());
            w->setFont(f);
        }
        const QString glyph = w->property("glyphName").toString();
        if (!glyph.isEmpty()) {
            const QPixmap p = qulGlyph(glyph);
            if (auto *b = qobject_cast<TBlendedButton *>(w))
                b->setGlyph(p);
            else if (auto *l = qobject_cast<QLabel *>(w))
                l->setPixmap(p);
        }
    }
    // Sizes last: they depend on the fonts and pictures just set.
    for (QWidget *w : ws)
        if (w->property("autoSize").toBool())
            w->adjustSize();
}

void AlignClientControls(QWidget *root)
{
    if (!root)
        return;
    for (QWidget *w : treeOf(root)) {
        if (!w->property("alignClient").toBool() || !w->parentWidget())
            continue;
        w->setGeometry(w->parentWidget()->rect());
        // A hidden notebook lays its pages out only when shown: size them now,
        // so that what fills a page fills the right size.
        if (auto *nbk = qobject_cast<QStackedWidget *>(w))
            for (int i = 0; i < nbk->count(); ++i)
                nbk->widget(i)->setGeometry(QRect(QPoint(0, 0), nbk->size()));
    }
}

void SetGridDefaultColors(QTableView *g)
{
    if (!g)
        return;
    QPalette pal = g->palette();
    const QColor corGrade = g->property("gridColor").value<QColor>();
    const QColor navy = colorFromBGR(8388608);
    pal.setColor(QPalette::Base, corGrade.isValid() ? corGrade : QColor(Qt::white));
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::Text, navy);
    pal.setColor(QPalette::Highlight, navy);
    pal.setColor(QPalette::HighlightedText, Qt::white);
    pal.setColor(QPalette::Inactive, QPalette::Highlight, navy);
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText, Qt::white);
    g->setPalette(pal);

    QFont titulo(g->property("titleFontFamily").toString());
    titulo.setBold(true);
    titulo.setPixelSize(-g->property("titleFontHeight").toInt());
    QHeaderView *h = g->horizontalHeader();
    h->setFont(titulo);
    const QColor fundo = g->property("titleColor").value<QColor>();
    QColor texto(Qt::white);
    if (auto *model = qobject_cast<TDataSetTableModel *>(g->model())) {
        const QList<TDataSetTableModel::Column> cols = model->effectiveColumns();
        if (!cols.isEmpty() && cols.first().titleColor.isValid())
            texto = cols.first().titleColor;
    }
    h->setStyleSheet(QStringLiteral("QHeaderView::section { background-color: %1; color: %2; border: none; "
                                    "padding-left: 2px; }")
                         .arg(fundo.name(), texto.name()));
    g->verticalHeader()->setDefaultSectionSize(g->fontMetrics().height() + 4);
    h->setFixedHeight(QFontMetrics(titulo).height() + 4);
}
