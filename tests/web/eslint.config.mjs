// The lint of the browser build's own JavaScript: the page's program (web/page/), its service worker
// and build scripts, the browser tests and the browser's benchmark. Run by tests/web/lint.sh (CTest's
// web_lint).
import js from '@eslint/js';
import globals from 'globals';

export default [
  js.configs.recommended,
  {
    languageOptions: { ecmaVersion: 2022, sourceType: 'module' },
    rules: {
      'no-unused-vars': ['error', { args: 'none', caughtErrors: 'none' }],
      eqeqeq: 'error',
      'no-var': 'error',
      'prefer-const': 'error',
      'no-implicit-globals': 'error',
    },
  },
  // The page's program runs in the browser, and reaches the game's Module through window only (the page
  // makes it, after its modules are read).
  { files: ['web/page/**/*.mjs'], languageOptions: { globals: globals.browser } },
  { files: ['web/sw.js'], languageOptions: { sourceType: 'script', globals: globals.serviceworker } },
  { files: ['web/*.mjs', 'tests/web/**/*.mjs', 'bench/**/*.mjs'], languageOptions: { globals: globals.node } },
  // The tests' and the benchmark's functions that puppeteer runs inside the page.
  {
    files: ['tests/web/**/*.mjs', 'bench/**/*.mjs'],
    languageOptions: { globals: { ...globals.browser, Module: 'readonly', replay: 'readonly' } },
  },
  { ignores: ['**/node_modules/**'] },
];
