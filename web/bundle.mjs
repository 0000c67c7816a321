// Joins the page's ES modules (web/page/) into one classic script that the page carries inside itself:
// a page opened from a disk may not load modules from the files beside it, and the single-file copy
// has no files beside it at all. Each module becomes a function, run once and after the modules it
// imports, that returns what it exports. Only the forms the page uses are read (named imports of a
// module of the same folder, `export` before a function, class, const or let); any other import or
// export, and an import cycle, stop the build.
import { readFile } from 'node:fs/promises';
import path from 'node:path';

export async function bundle(entry) {
  const done = [], state = new Map();
  async function visit(file) {
    if (state.get(file) === 'done')
      return;
    if (state.get(file) === 'visiting')
      throw new Error(`web/bundle.mjs: an import cycle through ${file}`);
    state.set(file, 'visiting');
    const imports = [];
    let body = (await readFile(file, 'utf8')).replace(/^import\s*\{([^}]*)\}\s*from\s*'\.\/([\w-]+\.mjs)';$/gm,
      (whole, names, from) => {
        imports.push(path.join(path.dirname(file), from));
        return `const {${names.replace(/\bas\b/g, ':')}} = modules[${JSON.stringify(from)}];`;
      });
    const exported = [];
    body = body.replace(/^export\s+((?:async\s+)?function\*?|class|const|let)\s+([\w$]+)/gm, (whole, kind, name) => {
      exported.push(name);
      return `${kind} ${name}`;
    });
    if (/^\s*(import|export)\b/m.test(body))
      throw new Error(`web/bundle.mjs: ${file} has an import or export of a form the page's bundle does not read`);
    for (const target of imports)
      await visit(target);
    done.push(`modules[${JSON.stringify(path.basename(file))}] = (() => {\n${body}\nreturn { ${exported.join(', ')} };\n})();\n`);
    state.set(file, 'done');
  }
  await visit(path.resolve(entry));
  return `(() => {\n'use strict';\nconst modules = {};\n${done.join('')}})();\n`;
}
