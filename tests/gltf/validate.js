// Runs the Khronos glTF validator over every .glb and .gltf file in a
// folder and fails on any error or warning. Exit status 77 (skipped) when
// the validator package is not installed.
//
// Usage: node validate.js MODULES_DIR FOLDER
'use strict';
const fs = require('fs');
const path = require('path');

const [modulesDir, folder] = process.argv.slice(2);
let validator;
try {
    validator = require(path.join(modulesDir, 'gltf-validator'));
} catch (e) {
    console.log('gltf-validator is not installed in ' + modulesDir + ': skipped');
    process.exit(77);
}

async function validateFile(file) {
    const bytes = new Uint8Array(fs.readFileSync(file));
    const report = await validator.validateBytes(bytes, {
        uri: path.basename(file),
        maxIssues: 50,
        externalResourceFunction: (uri) => new Promise((resolve, reject) => {
            const resource = path.join(path.dirname(file), decodeURIComponent(uri));
            fs.readFile(resource, (err, data) => (err ? reject(err.toString()) : resolve(new Uint8Array(data))));
        }),
    });
    return report.issues;
}

(async () => {
    const files = fs.readdirSync(folder).filter((f) => /\.(glb|gltf)$/.test(f)).sort();
    let bad = 0;
    for (const name of files) {
        const issues = await validateFile(path.join(folder, name));
        if (issues.numErrors > 0 || issues.numWarnings > 0) {
            ++bad;
            console.log(name + ': ' + issues.numErrors + ' errors, ' + issues.numWarnings + ' warnings');
            for (const m of issues.messages) {
                if (m.severity <= 1) console.log('  ' + m.code + ' ' + m.pointer + ': ' + m.message);
            }
        }
    }
    console.log(files.length + ' files validated, ' + bad + ' with errors or warnings');
    process.exit(files.length > 0 && bad === 0 ? 0 : 1);
})();
