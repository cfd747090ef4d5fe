#pragma once
// The product line's button pictures, drawn in code.

#include <QPixmap>
#include <QStringList>

// Glyphs drawn in code, by name: "seta_cima", "seta_baixo", "incluir",
// "editar", "excluir", "pesquisar", "sair", "confirmar", "lupa", "tick"
// (the 45 x 28 green mark picture), "limpar", "apagar", "info",
// "pergunta", "aviso", "erro". An unknown name gives a null pixmap.
QPixmap qulGlyph(const QString &name);
QStringList qulGlyphNames();
