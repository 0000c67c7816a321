// The player's language and the page's texts in it. The game is told the same choice, so the page and
// the game always speak one language.

// The catalog for a language tag ("pt-BR", "de_AT.UTF-8", "ru"): the tag's own region's, else the
// language's, else the one catalog of that language there is ("pt" finds pt_BR); '' when none.
export function catalogFor(tag, catalogs) {
  const [language, region] = String(tag).split(/[-_.@]/);
  const lower = (language || '').toLowerCase();
  if (region && catalogs[lower + '_' + region.toUpperCase()])
    return lower + '_' + region.toUpperCase();
  if (catalogs[lower])
    return lower;
  return Object.keys(catalogs).find((code) => code.split('_')[0] === lower) || '';
}

// ?lang=CODE when the address names one (the last, as on a command line), else the first of the
// browser's languages that has a catalog, unless English comes first; '' (English) when none has.
export function chooseLanguage(asked, browserLanguages, catalogs) {
  if (asked.length)
    return catalogFor(asked[asked.length - 1], catalogs);
  for (const tag of browserLanguages) {
    if (/^en\b/i.test(tag))
      return '';
    const code = catalogFor(tag, catalogs);
    if (code)
      return code;
  }
  return '';
}

// A text in the catalog's language (as it is when the catalog lacks it); {name} in it stands for
// values[name].
export function translate(catalog, text, values = {}) {
  return ((catalog && catalog[text]) || text)
    .replace(/\{(\w+)\}/g, (whole, name) => (name in values ? values[name] : whole));
}
