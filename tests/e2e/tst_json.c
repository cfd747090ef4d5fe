/* The JSON entries from a plain C program that links the core library alone
   (no Qt): against the demo store argv[1], the list (streamed), an insert
   that learns its code, the deletes and their statuses, a second module
   refused, and bad calls answered with a status and a text. */
#include "qul00002_json.h"

#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int g_falhas = 0;

static void confere(int ok, int linha, const char *o_que)
{
    if (!ok) {
        fprintf(stderr, "linha %d: %s (erro: %s)\n", linha, o_que, qul_json_erro());
        ++g_falhas;
    }
}
#define CONFERE(c) confere((c) != 0, __LINE__, #c)

static void conta(const char *bytes, int64_t tamanho, void *contexto)
{
    (void)bytes;
    ((int64_t *)contexto)[0] += tamanho;
    ((int64_t *)contexto)[1] += 1;
}

/* A call from a thread other than the module's: refused, with its text in
   the answer and in that thread's own last error. */
static void *outra_linha(void *status)
{
    char *r = NULL;
    *(int32_t *)status = qul_json_chama("getImposto", "[]", &r);
    if (!r || !strstr(r, "Chamada recusada") || !strstr(qul_json_erro(), "Chamada recusada"))
        *(int32_t *)status = -1;
    qul_json_libera(r);
    return NULL;
}

static const char *const kNovo =
    "[\"I\", {\"fields\": [{\"name\": \"CDPRODUTO\", \"type\": \"string\", \"size\": 10}, {\"name\": \"CDARVPROD\", "
    "\"type\": \"string\", \"size\": 20}, {\"name\": \"CDBARPRODUTO\", \"type\": \"string\", \"size\": 30}, {\"name\": "
    "\"NMPRODUTO\", \"type\": \"string\", \"size\": 50}, {\"name\": \"SGUNIDADE\", \"type\": \"string\", \"size\": 10}, "
    "{\"name\": \"VRPREUNIT\", \"type\": \"float\"}, {\"name\": \"IDPESAPROD\", \"type\": \"string\", \"size\": 1}, "
    "{\"name\": \"QTTARAPROD\", \"type\": \"float\"}, {\"name\": \"CDPRODINTE\", \"type\": \"string\", \"size\": 20}, "
    "{\"name\": \"VRPRECITEM\", \"type\": \"float\"}, {\"name\": \"CDIMPOSTO\", \"type\": \"string\", \"size\": 2}, "
    "{\"name\": \"CDPORIMPPROD\", \"type\": \"string\", \"size\": 5}, {\"name\": \"VRPEALIMPFIS\", \"type\": \"float\"}, "
    "{\"name\": \"SGIMPOSTO\", \"type\": \"string\", \"size\": 10}, {\"name\": \"IDTPIMPOSFIS\", \"type\": \"string\", "
    "\"size\": 1}], \"rows\": [[null, null, null, \"Goiabada Casc\\u00e3o\", \"UN\", null, \"N\", 0, \"5001\", 8.9, "
    "\"03\", \"LPT1\", 18, \"T18\", \"T\"]]}]";

int main(int argc, char **argv)
{
    char conexao[4200], argumentos[64], *r = NULL, *erro = NULL;
    if (argc != 2 || strlen(argv[1]) > 4096)
        return 2;
    snprintf(conexao, sizeof conexao, "Provider=SQLite;Data Source=%s", argv[1]);
    CONFERE(qul_json_chama("getImposto", "[]", &r) == QUL_JSON_SEM_MODULO && !r && strstr(qul_json_erro(), "criado"));
    CONFERE(qul_json_abre(conexao, &erro) == QUL_JSON_OK && !erro && !*qul_json_erro());
    CONFERE(qul_json_abre("Provider=SQLite;Data Source=/tmp/outra-loja.db", &erro) == QUL_JSON_SEM_MODULO && erro
            && strstr(erro, "já está criado") && !strcmp(erro, qul_json_erro()));
    qul_json_libera(erro);

    int64_t lista[2] = {0, 0};  /* bytes, pieces */
    CONFERE(qul_json_escreve("getProduto", "[\"T\"]", conta, lista) == QUL_JSON_OK && lista[0] > 4000 && lista[1] > 2);

    int32_t outra = 0;
    pthread_t linha;
    CONFERE(!pthread_create(&linha, NULL, outra_linha, &outra) && !pthread_join(linha, NULL)
            && outra == QUL_JSON_STATUS_FALHA && !*qul_json_erro());

    /* The insert's answer names the code the store gave. */
    CONFERE(qul_json_chama("setProduto", kNovo, &r) == QUL_JSON_OK && r);
    const char *codigos = r ? strstr(r, "\"codigos\":[\"") : NULL;
    CONFERE(codigos && sscanf(codigos + 12, "%10[0-9]", argumentos + 2) == 1);
    qul_json_libera(r);
    memcpy(argumentos, "[\"", 2);
    strcat(argumentos, "\"]");

    /* Each call, its status, and a text its answer or qul_json_erro() holds. */
    const struct {
        const char *servico, *argumentos;
        int32_t status;
        const char *texto;
    } chamadas[] = {
        {"getProduto", argumentos, QUL_JSON_OK, "Goiabada Casc\xc3\xa3o"},
        {"setProduto", kNovo, QUL_JSON_TEXTO_FALHA, "Reduzido"}, /* its reduced code is taken now */
        {"setDelProduto", argumentos, QUL_JSON_OK, "{\"status\":0,\"result\":[\"OK\",null]}"},
        {"setDelProduto", argumentos, QUL_JSON_SEM_PRODUTO, "não há produto de código"},
        {"setDelProduto", "[\"1\"]", QUL_JSON_VENDA, "venda ou comanda"},
        {"setDelProduto", "[\"2\"]", QUL_JSON_CONFTE, "Padaria"},
        {"getProdutoMudou", "[\"Z\"]", QUL_JSON_TEXTO_FALHA, "desconhecida"},
        {"getProduto", "[\"T\"", QUL_JSON_USO, "argumentos JSON inválidos"},
        {"getProduto", "{\"codigo\": \"T\"}", QUL_JSON_USO, "lista JSON"},
        {"getProduto", "[1]", QUL_JSON_USO, "deve ser um texto"},
        {"getProduto", NULL, QUL_JSON_USO, "pede 1 argumento"},
        {"setProduto", "[\"X\", {}]", QUL_JSON_USO, "I (incluir) ou E (alterar)"},
        {"setProduto", "[\"I\", \"pacote\"]", QUL_JSON_USO, "objeto JSON"},
        {"apagaTudo", "[]", QUL_JSON_USO, "serviço desconhecido: apagaTudo"},
        {NULL, "[]", QUL_JSON_USO, "obrigatórios"},
    };
    for (size_t i = 0; i < sizeof chamadas / sizeof chamadas[0]; ++i) {
        const int32_t status = qul_json_chama(chamadas[i].servico, chamadas[i].argumentos, &r);
        const char *onde = status == QUL_JSON_OK ? r : qul_json_erro();
        if (status != chamadas[i].status || !onde || !strstr(onde, chamadas[i].texto)) {
            fprintf(stderr, "chamada %zu: status %d, %s\n", i, (int)status, onde ? onde : "(nada)");
            ++g_falhas;
        }
        qul_json_libera(r);
    }
    CONFERE(qul_json_chama("getImposto", NULL, NULL) == QUL_JSON_USO && strstr(qul_json_erro(), "ponteiro nulo"));
    CONFERE(qul_json_fecha() == QUL_JSON_OK);
    return g_falhas ? 1 : 0;
}
