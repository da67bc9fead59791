#include "ui/qt/HelpTexts.h"

#include <map>

namespace foliant::qt {

const HelpTexts& HelpTextsFor(const QString& languageCode) {
    static const std::map<QString, HelpTexts> kTexts = {
        {"en",
         {"Contents", "Index", "Search", "Back", "Forward", "Home", "List Topics",
          "No topic contains these words.", "The help cannot be shown.\n%1"}},
        {"de",
         {"Inhalt", "Index", "Suchen", "Zurück", "Vorwärts", "Startseite", "Themen auflisten",
          "Kein Thema enthält diese Wörter.", "Die Hilfe kann nicht angezeigt werden.\n%1"}},
        {"fr",
         {"Sommaire", "Index", "Rechercher", "Précédent", "Suivant", "Accueil",
          "Lister les rubriques", "Aucune rubrique ne contient ces mots.",
          "L'aide ne peut pas être affichée.\n%1"}},
        {"es",
         {"Contenido", "Índice", "Buscar", "Atrás", "Adelante", "Inicio", "Mostrar temas",
          "Ningún tema contiene estas palabras.", "No se puede mostrar la ayuda.\n%1"}},
        {"it",
         {"Sommario", "Indice", "Cerca", "Indietro", "Avanti", "Inizio", "Elenca argomenti",
          "Nessun argomento contiene queste parole.", "Impossibile visualizzare la guida.\n%1"}},
        {"pt",
         {"Conteúdo", "Índice", "Pesquisar", "Voltar", "Avançar", "Início", "Listar tópicos",
          "Nenhum tópico contém estas palavras.", "Não é possível exibir a ajuda.\n%1"}},
        {"chs",
         {"目录", "索引", "搜索", "后退", "前进", "主页", "列出主题", "没有包含这些词的主题。",
          "无法显示帮助。\n%1"}},
        {"jp",
         {"目次", "キーワード", "検索", "戻る", "進む", "ホーム", "トピックの表示",
          "これらの語を含むトピックはありません。", "ヘルプを表示できません。\n%1"}},
        {"ko",
         {"목차", "색인", "검색", "뒤로", "앞으로", "홈", "항목 나열",
          "이 단어가 들어 있는 항목이 없습니다.", "도움말을 표시할 수 없습니다.\n%1"}},
    };
    const auto it = kTexts.find(languageCode);
    return it != kTexts.end() ? it->second : kTexts.at("en");
}

} // namespace foliant::qt
