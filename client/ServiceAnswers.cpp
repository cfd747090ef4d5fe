// The one way the screen calls a service and reads its answer: the
// status first, then the result, a failure in either handled as the
// caller asked (Cli_qul00002.h, TFalhaServico).

#include "Cli_qul00002.h"

#include "QulShared.h"

std::optional<QVariant> TfrmCadProd::chamaServico(const QString &servico, const TChamadaServico &chamada,
                                                  TFalhaServico falha)
{
    QVariant resultado;
    const int32_t status = chamada(&resultado);
    switch (falha) {
    case TFalhaServico::Calada:
        if (status != 0 || isFailureText(resultado))
            return std::nullopt;
        return resultado;
    case TFalhaServico::Levantada:
        if (status != 0)
            throw EADOError(resultado.toString());
        return resultado;
    case TFalhaServico::Relatada:
        break;
    }
    if (status != 0)
        throw Exception(QStringLiteral("Falha na chamada do serviço %1.").arg(servico));
    // MensagemMetodo reads only the result, the service and the unit; its
    // other arguments are passed empty.
    return MensagemMetodo(resultado, true, 0, servico, QStringLiteral("Cli_Qul00002"), QString(), QString());
}
