"""The module against the built imset-query: the same answers, the same
messages, from threads as from one."""
import concurrent.futures
import json
import os
import random
import subprocess

import pytest

import imset

IMSET_QUERY = os.environ["IMSET_QUERY"]
NAMES = ["smoke", "tar", "cancer", "genes", "age", "x", "y", "z", "u", "v"]


def random_statement(rng, n):
    elements = list(range(n))
    rng.shuffle(elements)
    a_size = rng.randint(1, n - 1)
    b_size = rng.randint(1, n - a_size)
    c_size = rng.randint(0, n - a_size - b_size)
    a = elements[:a_size]
    b = elements[a_size:a_size + b_size]
    c = elements[a_size + b_size:a_size + b_size + c_size]
    return a, b, c


def text_of(statement, names):
    a, b, c = statement
    if all(len(x) == 1 for x in names):
        side = lambda s: "".join(names[i] for i in s)
        return side(a) + "," + side(b) + ("|" + side(c) if c or len(a) > 2 else "")
    side = lambda s: ", ".join(names[i] for i in s) if len(s) < 2 or len(a) % 2 else "{" + ", ".join(names[i] for i in s) + "}"
    return side(a) + " _||_ " + side(b) + (" | " + side(c) if c else "")


def random_queries(seed, count):
    """(declaration or None, query line) pairs: digits, one-letter and long names, two to six variables
    (six answered by linear programming, the others by the rays)."""
    rng = random.Random(seed)
    queries = []
    for _ in range(count):
        kind = rng.choice(["digits", "letters", "long", "six"])
        n = {"digits": 5, "six": 6}.get(kind) or rng.randint(2, 5)
        names = {"digits": [str(i) for i in range(5)], "six": [str(i) for i in range(6)],
                 "letters": rng.sample("abcdefgh", n), "long": rng.sample(NAMES, n)}[kind]
        asked = {}
        for _ in range(rng.randint(1, 4)):
            s = random_statement(rng, n)
            asked.setdefault((frozenset([frozenset(s[0]), frozenset(s[1])]), frozenset(s[2])),
                             (rng.choice("++-"), s))
        line = " ".join(sign + text_of(s, names) for sign, s in asked.values())
        queries.append((None if kind in ("digits", "six") else "variables: " + " ".join(names), line))
    return queries


def program_answers(queries, tmp_path):
    """imset-query --json on one file of the queries, digits first: a declaration holds to the end of the file."""
    order = sorted(range(len(queries)), key=lambda i: queries[i][0] is not None)
    lines = []
    for i in order:
        declaration, line = queries[i]
        if declaration:
            lines.append(declaration)
        lines.append(line)
    path = tmp_path / "queries.txt"
    path.write_text("\n".join(lines) + "\n")
    out = subprocess.run([IMSET_QUERY, "-q", "--json", str(path)], check=True, capture_output=True, text=True).stdout
    answers = [None] * len(queries)
    for i, text in zip(order, out.splitlines()):
        answers[i] = json.loads(text)
    return answers


def without_place(answer):
    return {k: v for k, v in answer.items() if k not in ("source", "line")}


def as_string(query):
    declaration, line = query
    return declaration + "\n" + line if declaration else line


QUERIES = random_queries(20240607, 300)


def test_answers_equal_the_programs(tmp_path):
    expected = program_answers(QUERIES, tmp_path)
    got = imset.ask_many([as_string(q) for q in QUERIES])
    assert [without_place(a) for a in got] == [without_place(a) for a in expected]
    assert [a["line"] for a in got[:3]] == [1, 2, 3] and got[0]["source"] == "<python>"
    # Both outcomes occur, so the comparison says something about each.
    assert {a["structural"] for a in got} == {True, False}


def test_variables_argument_is_a_declaration():
    for declaration, line in QUERIES[:60]:
        if declaration:
            names = declaration.split()[1:]
            assert imset.ask(line, variables=names) == imset.ask(as_string((declaration, line)))
            assert imset.ask(line, variables=" ".join(names)) == imset.ask(line, variables=names)


def test_tuples_equal_strings():
    rng = random.Random(7)
    for _ in range(200):
        n = rng.randint(2, 5)
        names = rng.sample(NAMES, n) if rng.random() < 0.5 else None
        shown = names or [str(i) for i in range(5)]
        premises = [random_statement(rng, n) for _ in range(rng.randint(0, 3))]
        statement = random_statement(rng, n)
        # Sides as lists of names or indices, a lone element as itself, C sometimes left out.
        as_tuple = lambda s: tuple(side[0] if len(side) == 1 and rng.random() < 0.5 else
                                   [shown[i] if rng.random() < 0.5 else i for i in side]
                                   for side in (s if s[2] or rng.random() < 0.5 else s[:2]))
        line = " ".join("+" + text_of(p, shown) for p in premises)
        tuples = [as_tuple(p) for p in premises]
        assert imset.closure(tuples, variables=names) == imset.closure(line, variables=names)
        assert imset.implies(tuples, as_tuple(statement), variables=names) == \
            imset.implies(line, text_of(statement, shown), variables=names)


def test_implies_and_closure_agree_with_ask():
    # Contraction, then decomposition.
    assert imset.implies("+0,1 +0,2|1", "0,2")
    assert not imset.implies("+0,1|2 +0,2|1", "0,1")
    for declaration, line in QUERIES[:100]:
        answer = imset.ask(as_string((declaration, line)))
        names = declaration.split()[1:] if declaration else None
        premises = " ".join("+" + s for s in answer["holds"])
        assert imset.closure(premises, variables=names) == answer["implied"]
        for s in answer["fails"]:
            assert imset.implies(premises, s, variables=names) == (s in answer["forced"])


FAULTS = [
    "+0,y",
    "+0,1 x",
    "+0,0|1",
    "+0,1|0",
    "+0,1 -1,0",
    "variables: a b c d e f g h i j k l m",
    "variables: a a",
    "variables: smoke tar\n+smoke _||_ tar | cancer",
    "variables: smoke tar\n+smoke _||_ tar, smok",
    "+smoke _||_",
    "+0,1|2 +,1",
]


@pytest.mark.parametrize("query", FAULTS)
def test_faults_raise_the_programs_message(query):
    # The program's message, "-e 1:COLUMN: " or "<stdin>:LINE:COLUMN: " before it.
    run = subprocess.run([IMSET_QUERY, "-q"], input=query + "\n", capture_output=True, text=True)
    assert run.returncode == 2
    first = run.stderr.splitlines()[0]
    place, message = first.split(": ", 2)[1:]
    line, column = place.split(":")[1:]
    with pytest.raises(ValueError) as raised:
        imset.ask(query)
    where = ("line " + line + ", " if "\n" in query else "") + "column " + column
    assert str(raised.value) == where + ": " + message


def test_other_faults():
    with pytest.raises(ValueError, match="^variables: at most 12 variables can be declared$"):
        imset.ask("+a,b", variables="a b c d e f g h i j k l m")
    with pytest.raises(ValueError, match="^query 2: column 4: unknown variable 'y'"):
        imset.ask_many(["+0,1", "+0,y"])
    with pytest.raises(ValueError, match="no statement"):
        imset.ask("# nothing")
    with pytest.raises(ValueError, match="^premises are \\+ statements"):
        imset.implies("+0,1 -0,2", "0,2")
    with pytest.raises(ValueError, match="^no variable number 10"):
        imset.implies([(0, 10)], (0, 1))
    # Past five variables the LP engine answers: contraction over six.
    assert imset.implies([(0, 5), (0, 2, 5)], (0, 2))
    assert not imset.implies([(0, 5, 2)], (0, 5))
    with pytest.raises(ValueError, match="cannot"):
        imset.load("/nonexistent/rays.txt")
    with pytest.raises(ValueError, match="time_limit"):
        imset.ask("+0,1", time_limit=0)
    # Past five variables a question that needs longer than its limit.
    with pytest.raises(TimeoutError, match="time limit"):
        imset.ask("+0,1 +2,3|45 -0,1|23456789", time_limit=1e-9)


def test_threads_give_the_same_answers():
    strings = [as_string(q) for q in QUERIES]
    alone = imset.ask_many(strings)
    with concurrent.futures.ThreadPoolExecutor(max_workers=4) as pool:
        singly = list(pool.map(imset.ask, strings))
        in_parts = [a for part in pool.map(imset.ask_many, [strings[i::4] for i in range(4)]) for a in part]
    assert [without_place(a) for a in singly] == [without_place(a) for a in alone]
    assert sorted(json.dumps(without_place(a)) for a in in_parts) == sorted(json.dumps(without_place(a)) for a in alone)
