// Rates a journal with the openskill package and its default options.
//
//   node rate_reference.mjs JOURNAL OUT
//
// JOURNAL: one match a line in the order played, each player as PERSON:PLACE
// (a smaller place is better, equal places a tie). OUT: a line per match; for
// a match of two or more players first the chance predictWin gives its first
// two players to place higher (before the match), then for every player in
// the order of the journal line mu and sigma after the match. A match of one
// player is not rated (the line holds the unchanged mu and sigma).
import { readFileSync, writeFileSync } from 'node:fs';
import { predictWin, rate, rating } from 'openskill';

const [journal, out] = process.argv.slice(2);
const people = new Map();
const ratingOf = (person) => people.get(person) ?? rating();

const lines = [];
for (const text of readFileSync(journal, 'utf8').split('\n')) {
  if (text.trim() === '') continue;
  const match = text.trim().split(/\s+/).map((field) => {
    const [person, place] = field.split(':').map(Number);
    return { person, place };
  });
  const figures = [];
  if (match.length >= 2) {
    figures.push(...predictWin([[ratingOf(match[0].person)], [ratingOf(match[1].person)]]));
    const teams = match.map(({ person }) => [ratingOf(person)]);
    const rated = rate(teams, { rank: match.map(({ place }) => place) });
    match.forEach(({ person }, i) => people.set(person, rated[i][0]));
  }
  for (const { person } of match) figures.push(ratingOf(person).mu, ratingOf(person).sigma);
  lines.push(figures.map(String).join(' '));
}
writeFileSync(out, lines.join('\n') + '\n');
