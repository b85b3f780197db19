// Checks ECS documents, one a line, against the field definitions of the @elastic/ecs package:
// every field is an ECS field or under norquill., each value fits its field's type and the
// categorization fields hold allowed values only; and each record field lands where docs/ECS.md says.
// Usage: NQ_ECS_MODULES=DIR node ecs_check.js FILE COUNT
'use strict';
const fs = require('fs');
const path = require('path');
const { EcsFlat, EcsVersion } = require(path.join(process.env.NQ_ECS_MODULES, '@elastic/ecs'));

const [file, expected] = process.argv.slice(2);
const required = ['@timestamp', 'event.id', 'event.kind', 'event.category', 'event.type', 'event.action',
                  'event.dataset', 'event.module', 'event.code', 'host.name'];
const text = new Set(['keyword', 'constant_keyword', 'wildcard', 'match_only_text', 'text', 'ip', 'version']);
const integer = new Set(['long', 'integer', 'short', 'byte', 'unsigned_long']);
const rfc3339 = /^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d(\.\d+)?(Z|[+-]\d\d:\d\d)$/;

function fits(definition, value) {
    if (text.has(definition.type)) return typeof value === 'string';
    if (integer.has(definition.type)) return Number.isInteger(value);
    if (['float', 'double', 'scaled_float', 'half_float'].includes(definition.type)) return typeof value === 'number';
    if (definition.type === 'date') return typeof value === 'string' && rfc3339.test(value);
    if (definition.type === 'boolean') return typeof value === 'boolean';
    return false; // objects, flattened, nested and the like are never leaves of ours
}

// The leaves of a document by their dotted names; arrays are leaves.
function leaves(node, prefix, out) {
    for (const [key, value] of Object.entries(node)) {
        const name = prefix ? `${prefix}.${key}` : key;
        if (value !== null && typeof value === 'object' && !Array.isArray(value)) leaves(value, name, out);
        else out.push([name, value]);
    }
    return out;
}

// docs/ECS.md's record-field rows: "| kind | `field` | `ECS field` |".
const documented = new Set();
const docs = fs.readFileSync(path.join(__dirname, '..', '..', '..', 'docs', 'ECS.md'), 'utf8');
for (const [, kind, name] of docs.matchAll(/^\| (\w+) \| `\w+` \| `([\w.@]+)` \|$/gm)) documented.add(`${kind} ${name}`);
const common = /^(@timestamp|ecs\.version|event\.\w+|host\.name|tags)$/;
const used = new Set();

const problems = [];
let documents = 0;
for (const line of fs.readFileSync(file, 'utf8').split('\n')) {
    if (!line) continue;
    const document = JSON.parse(line);
    ++documents;
    const fields = leaves(document, '', []);
    const names = new Set(fields.map(([name]) => name));
    for (const name of required)
        if (!names.has(name)) problems.push(`document ${documents}: ${name} is missing`);
    if (!(document.host && document.host.name)) problems.push(`document ${documents}: host.name is empty`);
    const kind = (document.event && document.event.dataset || '').replace(/^norquill\./, '');
    for (const [name, value] of fields) {
        if (!common.test(name)) {
            used.add(`${kind} ${name}`);
            if (!documented.has(`${kind} ${name}`)) problems.push(`document ${documents}: ${name} is not in docs/ECS.md for ${kind}`);
        }
        if (name.startsWith('norquill.')) {
            if (!name.startsWith(`norquill.${kind}.`) || name.split('.').length !== 3)
                problems.push(`document ${documents}: ${name} is not norquill.${kind}.<field>`);
            continue;
        }
        const definition = EcsFlat[name];
        if (!definition) {
            problems.push(`document ${documents}: ${name} is no ECS field`);
            continue;
        }
        const isArray = Array.isArray(value);
        if (isArray && !(definition.normalize || []).includes('array'))
            problems.push(`document ${documents}: ${name} takes one value, not an array`);
        for (const item of isArray ? value : [value]) {
            if (!fits(definition, item))
                problems.push(`document ${documents}: ${name} = ${JSON.stringify(item)} does not fit ${definition.type}`);
            if (definition.allowed_values && !definition.allowed_values.some((allowed) => allowed.name === item))
                problems.push(`document ${documents}: ${name} = ${JSON.stringify(item)} is not an allowed value`);
        }
    }
}
for (const row of documented)
    if (!used.has(row)) problems.push(`docs/ECS.md: no document has ${row}`);
if (String(documents) !== expected) problems.push(`${documents} documents, expected ${expected}`);
for (const problem of problems.slice(0, 50)) console.log(problem);
if (problems.length) {
    console.log(`${problems.length} problems`);
    process.exit(1);
}
console.log(`${documents} documents fit ECS ${EcsVersion}`);
