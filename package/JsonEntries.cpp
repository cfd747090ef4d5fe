// The JSON entries (qul00002_json.h): the services for a caller in any
// language, with UTF-8 JSON in and out. They run the services through
// JsonServices, write the answer as qulsvc prints it, and leave why a call
// did not answer QUL_JSON_OK as the thread's last error (UltimoErro.h).
#include "qul00002_json.h"

#include "JsonServices.h"
#include "qul00002.h"
#include "UltimoErro.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// The Qt application the store's drivers need, made for a caller that has
// none (a C or Python program) and kept for the process's life.
void garanteAplicacao()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char nome[] = "qul00002";
    static char *argv[] = {nome, nullptr};
    static QCoreApplication *const aplicacao = new QCoreApplication(argc, argv);
    Q_UNUSED(aplicacao);
}

// A text the caller frees with qul_json_libera (std::free): null when
// there is no memory.
char *copiaC(const QByteArray &texto)
{
    char *c = static_cast<char *>(std::malloc(size_t(texto.size()) + 1));
    if (c)
        std::memcpy(c, texto.constData(), size_t(texto.size()) + 1);
    return c;
}

int32_t falha(int32_t situacao, const QString &motivo)
{
    defineUltimoErro(motivo);
    return situacao;
}

// An answer the service gave whole, written as qulsvc prints it.
int32_t escreveAResposta(const JsonServices::TResposta &r, TQulJsonEscrita escreve, void *contexto)
{
    defineUltimoErro(r.motivo);
    if (r.situacao == JsonServices::kUso || r.situacao == JsonServices::kSemModulo)
        return r.situacao;
    const QByteArray inicio = "{\"status\":" + QByteArray::number(r.status) + ",\"result\":";
    escreve(inicio.constData(), inicio.size(), contexto);
    if (QulEscreveJson(&r.result, escreve, contexto) != 0)
        escreve("null", 4, contexto);
    if (r.codigos) {
        const QByteArray codigos = ",\"codigos\":" + QJsonDocument(*r.codigos).toJson(QJsonDocument::Compact);
        escreve(codigos.constData(), codigos.size(), contexto);
    }
    escreve("}", 1, contexto);
    return r.situacao;
}

// Writes the answer of a call as qulsvc prints it, piece by piece.
int32_t escreveResposta(const char *servico, const char *argumentos, TQulJsonEscrita escreve, void *contexto)
{
    if (!servico || !escreve)
        return falha(JsonServices::kUso, QStringLiteral("o nome do serviço e a função que recebe a resposta são obrigatórios."));
    const QByteArray args = argumentos ? QByteArray(argumentos) : QByteArray();
    if (std::strcmp(servico, "getProduto") == 0) {
        // The list written as it is read: never held whole.
        bool comecou = false;
        const JsonServices::TResposta r = JsonServices::escreveLista(
            args, [&](const char *b, qsizetype n) { escreve(b, n, contexto); }, &comecou);
        defineUltimoErro(r.motivo);
        if (comecou) {
            if (r.situacao == JsonServices::kOk)
                escreve("}", 1, contexto);
            return r.situacao;  // a cut answer: its status says so
        }
        return escreveAResposta(r, escreve, contexto);
    }
    return escreveAResposta(JsonServices::chama(QString::fromUtf8(servico), args), escreve, contexto);
}

// The answer gathered in one block of the C heap, grown as it comes.
struct TTextoC {
    char *bytes = nullptr;
    size_t tamanho = 0, capacidade = 0;
    bool semMemoria = false;

    static void acrescenta(const char *b, int64_t n, void *contexto)
    {
        auto *t = static_cast<TTextoC *>(contexto);
        if (t->semMemoria)
            return;
        if (t->tamanho + size_t(n) + 1 > t->capacidade) {
            const size_t nova = std::max(t->capacidade * 2, t->tamanho + size_t(n) + 1);
            char *p = static_cast<char *>(std::realloc(t->bytes, nova));
            if (!p) {
                t->semMemoria = true;
                return;
            }
            t->bytes = p;
            t->capacidade = nova;
        }
        std::memcpy(t->bytes + t->tamanho, b, size_t(n));
        t->tamanho += size_t(n);
        t->bytes[t->tamanho] = '\0';
    }
};

}  // namespace

extern "C" QUL_EXPORT int32_t qul_json_abre(const char *conexao, char **erro)
{
    if (erro)
        *erro = nullptr;
    try {
        garanteAplicacao();
        const QString texto = conexao ? QString::fromUtf8(conexao) : QString();
        QVariant motivo;
        if (QulCriaModuloDados(texto.isEmpty() ? nullptr : QStringView(texto).utf16(), &motivo) == 0)
            return JsonServices::kOk;
        if (erro)
            *erro = copiaC(ultimoErro().toUtf8());
        return JsonServices::kSemModulo;
    } catch (...) {
        return falha(JsonServices::kSemModulo, QStringLiteral("Falha desconhecida ao criar o módulo de dados."));
    }
}

extern "C" QUL_EXPORT int32_t qul_json_escreve(const char *servico, const char *argumentos, TQulJsonEscrita escreve,
                                               void *contexto)
{
    try {
        return escreveResposta(servico, argumentos, escreve, contexto);
    } catch (...) {
        return falha(JsonServices::kStatusFalha, QStringLiteral("Falha desconhecida ao chamar o serviço."));
    }
}

extern "C" QUL_EXPORT int32_t qul_json_chama(const char *servico, const char *argumentos, char **resposta)
{
    if (!resposta)
        return falha(JsonServices::kUso, QStringLiteral("falta onde pôr a resposta (ponteiro nulo)."));
    *resposta = nullptr;
    TTextoC texto;
    const int32_t situacao = qul_json_escreve(servico, argumentos, &TTextoC::acrescenta, &texto);
    if (texto.semMemoria) {
        std::free(texto.bytes);
        return falha(JsonServices::kStatusFalha, QStringLiteral("Memória insuficiente para a resposta do serviço."));
    }
    *resposta = texto.bytes;
    return situacao;
}

extern "C" QUL_EXPORT int32_t qul_json_fecha(void)
{
    return QulLiberaModuloDados() == 0 ? JsonServices::kOk : JsonServices::kStatusFalha;
}

extern "C" QUL_EXPORT void qul_json_libera(char *texto)
{
    std::free(texto);
}

extern "C" QUL_EXPORT const char *qul_json_erro(void)
{
    thread_local QByteArray texto;
    texto = ultimoErro().toUtf8();
    return texto.constData();
}
