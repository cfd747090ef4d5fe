#pragma once
// A library's units started and stopped in the order its package table
// lists them: the first Initialize starts them all, the Finalize that
// matches it stops them in reverse; the calls between only count.

#include "qul00002.h"

class TUnidadesPacote {
public:
    explicit TUnidadesPacote(const TQulPackageInfo &pacote) : m_pacote(pacote) {}

    void inicializa()
    {
        if (m_vezes++ > 0)
            return;
        for (int i = 0; i < m_pacote.unitCount; ++i)
            if (m_pacote.units[i].initialize)
                m_pacote.units[i].initialize();
    }

    void finaliza()
    {
        if (m_vezes == 0 || --m_vezes > 0)
            return;
        for (int i = m_pacote.unitCount - 1; i >= 0; --i)
            if (m_pacote.units[i].finalize)
                m_pacote.units[i].finalize();
    }

    const TQulPackageInfo &pacote() const { return m_pacote; }

private:
    const TQulPackageInfo &m_pacote;
    int m_vezes = 0;
};
