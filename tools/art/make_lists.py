#!/usr/bin/python3
"""Writes the name lists and the two U-boat option files of the program folder.

    content/files/Cfg/Names_first.lst     German first names of men born 1900-1925
    content/files/Cfg/Names_last.lst      German family names from all regions
    content/files/Cfg/Names_places.lst    German towns and cities, as birthplaces
    content/files/Cfg/U-boat numbers.cfg        boat numbers offered per type and flotilla
    content/files/Cfg/U-boat availability.cfg   first month of each boat version, per flotilla

All files are Windows-1252 with CR LF line ends, as the program and the game read them.
Run from anywhere: /usr/bin/python3 tools/art/make_lists.py
"""

from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
CFG = ROOT / "content" / "files" / "Cfg"

FIRST_NAMES = """
Adalbert Adam Albert Albrecht Alfons Alfred Alois Alwin Andreas Anton Armin Arnold Arno Artur August
Balthasar Benno Bernhard Berthold Bruno Burkhard Carl Christian Christoph Claus Conrad Curt
Detlef Detlev Dieter Dietrich Eberhard Edgar Edmund Eduard Egon Ehrenfried Ekkehard Emil Emmerich
Engelbert Erhard Erich Ernst Erwin Eugen Ewald Felix Ferdinand Florian Franz Friedel Friedhelm
Friedrich Fritz Gebhard Georg Gerd Gerhard Gernot Gottfried Gottlieb Gottlob Götz Gregor Günter
Günther Gustav Hannes Hanns Hans Harald Harro Hartwig Hasso Hein Heiner Heino Heinrich Heinz Helmut
Helmuth Herbert Hermann Hinrich Horst Hubert Hubertus Hugo Ignaz Ingo Jakob Joachim Jochen Johann
Johannes Josef Jost Julius Jürgen Kaspar Karl Kasimir Klaus Knut Konrad Konstantin Kuno Kurt
Lambert Leo Leonhard Leopold Lorenz Lothar Ludwig Lutz Magnus Manfred Martin Mathias Matthäus
Max Maximilian Meinhard Michael Moritz Nikolaus Norbert Olaf Ortwin Oskar Oswald Otto Ottokar Paul
Peter Philipp Quirin Reimar Reiner Reinhard Reinhold Richard Robert Roderich Rolf Rudi Rudolf
Rüdiger Rupert Ruprecht Sebastian Siegfried Siegmund Sigismund Stefan Theo Theodor Thomas Traugott
Udo Ulrich Valentin Veit Viktor Waldemar Walter Walther Wendelin Wenzel Werner Wilfried Wilhelm
Willi Willibald Willy Winfried Wolf Wolfgang Wolfram Xaver
"""

LAST_NAMES = """
Abel Ackermann Adler Ahrens Aigner Albers Albrecht Altmann Arndt Arnold Auer Bach Bachmann Bader
Baier Bartels Barth Bauer Baum Baumann Baumgartner Bayer Beck Becker Behrens Beier Bender Benz Berg
Berger Bergmann Berndt Bernhardt Beyer Biermann Binder Bischoff Blum Bock Bode Böhm Böhme Bohn
Bolte Börner Brand Brandt Brauer Braun Bremer Brinkmann Brockmann Brückner Bruns Brunner Buchholz
Buck Burger Busch Busse Carstensen Christiansen Conrad Dahmen Decker Dietrich Dietz Dittmann Döring
Dorn Dreyer Eberhardt Ebert Eckert Eder Ehlers Eichhorn Engel Engelhardt Ernst Esser Evers Faber
Falk Fiedler Fink Fischer Fleischer Förster Franke Frenzel Freund Frey Friedrich Fries Fritsch
Fröhlich Fuchs Fuhrmann Gärtner Gebauer Geiger Gerlach Giese Glaser Göbel Goetz Graf Gruber Grimm
Gronau Groß Grote Günther Haag Haas Häberle Hagen Hahn Hansen Harms Hartmann Hase Haug Hauser Heck
Heinemann Heinrich Heinze Held Hellwig Henke Henning Hermes Herrmann Herzog Hesse Hildebrandt Hinrichs
Hinz Hirsch Hoffmann Hofer Hofmann Höhne Holz Horn Huber Hübner Jäger Jahn Janssen Jensen Jung Kaiser
Kaminski Kampe Karl Kasper Keil Keller Kern Kessler Kirchner Klein Klose Knoll Koch Köhler Kolb
König Konrad Kopp Körner Kowalski Kraft Krämer Kraus Krause Krebs Kretzschmar Kroll Krüger Kuhn Kühn
Kunz Kunze Küppers Lang Lange Lechner Lehmann Leitner Lemke Lenz Lindner Lorenz Ludwig Lüders Lutz
Maier Mann Marquardt Martens Maurer Mayer Mayr Meier Meißner Mertens Meyer Michel Möller Moser
Müller Nagel Naumann Neubauer Neumann Niehaus Nowak Oltmanns Ortmann Ott Otto Overbeck Paul
Pawlowski Peters Petersen Pfeiffer Pichler Pohl Popp Preuß Probst Rapp Rauch Reich Reimann Reiter
Renner Reuter Richter Rieger Ritter Röder Roth Rothe Rudolph Ruhnke Sander Sauer Schade Schäfer
Scharf Schenk Schilling Schimanski Schlegel Schmid Schmidt Schmitt Schmitz Schneider Scholz
Schrader Schreiber Schröder Schubert Schulte Schulz Schulze Schumacher Schuster Schwab Schwarz
Schwenk Seidel Seifert Siebert Simon Sommer Sonntag Stadler Stahl Stark Stein Steiner Stoll Strauß
Stumpf Thelen Thiel Thomsen Tjaden Ullrich Uhlig Unger Vogel Vogt Voigt Völker Wagner Walter Weber
Wegener Wegner Wehner Weidner Weigel Weiß Wendt Werner Westermann Wiechmann Wiegand Wimmer Winkler
Winter Wirth Witt Wolf Wolff Wulf Zander Ziegler Zimmermann Zöllner
"""

# One place a line (names contain blanks).
PLACES = """
Aachen
Allenstein
Altona
Ansbach
Augsburg
Aurich
Bamberg
Barmen
Bautzen
Bayreuth
Berlin
Bielefeld
Bochum
Bonn
Brandenburg an der Havel
Braunschweig
Bremen
Bremerhaven
Breslau
Bromberg
Celle
Chemnitz
Coburg
Cottbus
Cuxhaven
Danzig
Darmstadt
Deggendorf
Detmold
Dortmund
Dresden
Duisburg
Düsseldorf
Eisenach
Elberfeld
Elbing
Emden
Erfurt
Erlangen
Essen
Esslingen
Flensburg
Frankfurt am Main
Frankfurt an der Oder
Freiburg im Breisgau
Fulda
Fürth
Gelsenkirchen
Gießen
Gleiwitz
Glogau
Görlitz
Goslar
Gotha
Göttingen
Greifswald
Hagen
Halle an der Saale
Hamburg
Hameln
Hanau
Hannover
Heidelberg
Heilbronn
Hildesheim
Hirschberg
Hof
Husum
Ingolstadt
Insterburg
Jena
Kaiserslautern
Karlsruhe
Kassel
Kempten
Kiel
Koblenz
Kolberg
Köln
Königsberg
Konstanz
Krefeld
Landshut
Leer
Leipzig
Liegnitz
Lindau
Lübeck
Lüneburg
Magdeburg
Mainz
Mannheim
Marburg
Memel
Memmingen
Mülheim an der Ruhr
München
Münster
Neumünster
Norden
Nürnberg
Offenbach am Main
Oldenburg
Oppeln
Osnabrück
Paderborn
Passau
Pforzheim
Plauen
Posen
Potsdam
Ravensburg
Regensburg
Rendsburg
Reutlingen
Rosenheim
Rostock
Saarbrücken
Schleswig
Schweidnitz
Schwerin
Siegen
Soest
Speyer
Stettin
Stolp
Stralsund
Straubing
Stuttgart
Thorn
Tilsit
Traunstein
Trier
Tübingen
Ulm
Weimar
Wiesbaden
Wilhelmshaven
Wismar
Wolfenbüttel
Worms
Würzburg
Zwickau
"""


def write_lines(path: Path, lines: list[str]) -> None:
    assert lines and all(lines), f"{path.name}: empty entry"
    assert len(set(lines)) == len(lines), f"{path.name}: duplicate entries"
    path.write_bytes("".join(line + "\r\n" for line in lines).encode("cp1252"))


def words(text: str) -> list[str]:
    return text.split()


def places(text: str) -> list[str]:
    return [line.strip() for line in text.splitlines() if line.strip()]


# --- Boat numbers -------------------------------------------------------------------------------

# Flotilla identifiers as the game's Flotilla.cfg gives them (the keys of their names in the
# game's menu text table), with the flotilla each stands for.
FLOTILLAS = {
    660: "1st U-boat Flotilla (Kiel, Brest)",
    661: "2nd U-boat Flotilla (Wilhelmshaven, Lorient)",
    662: "3rd U-boat Flotilla (Kiel, La Pallice)",
    663: "7th U-boat Flotilla (Kiel, Saint-Nazaire)",
    664: "9th U-boat Flotilla (Brest)",
    665: "10th U-boat Flotilla (Lorient)",
    666: "11th U-boat Flotilla (Bergen, Trondheim)",
    667: "12th U-boat Flotilla (Bordeaux)",
    668: "29th U-boat Flotilla (La Spezia, Toulon)",
    669: "33rd U-boat Flotilla (Flensburg)",
}


def numbers(text: str) -> list[int]:
    """'1-6, 9' -> [1, 2, 3, 4, 5, 6, 9]."""
    result: list[int] = []
    for part in text.replace(",", " ").split():
        if "-" in part:
            low, high = (int(x) for x in part.split("-"))
            result.extend(range(low, high + 1))
        else:
            result.append(int(part))
    return result


# Boat type name (as Basic.cfg names the version) -> every boat built or planned as that version.
ALL_BOATS = {
    "IIA": "1-6",
    "IIB": "7-24 120 121",
    "IIC": "56-63",
    "IID": "137-152",
    # The game knows no Type VIIA: the ten VIIA boats of 1939 sail as VIIB.
    "VIIB": "27-36 45-55 73-76 83-87 99-102",
    # The VIIC list is the boats of the flotillas below (added by the script) plus some more; the
    # whole type (some 570 boats) would not fit into one value of a profile file.
    "VIIC": "69-72 77-82 88-98 132-136 201-212 221-232 251-291 301-316 331-394 396-458 551-650",
    "VIIC/41": "292-300 317-328 827 828 929 930 963 994 995 997-1010 1013-1025 1063-1065 1103-1110"
               " 1163-1172 1271-1279 1301-1308",
    "VIIC/42": "699 700 783-790 1069-1080 1093-1100",
    "IXA": "37-44",
    "IXB": "64 65 103-111 122-124",
    "IXC": "66-68 125-131 153-166 171-176 501-524",
    "IXC/40": "167-170 183-194 525-550 801-806 841-846 853-858 865-870 877-881 889 1221-1235",
    "IXD2": "177-179 181 182 196-200 847-852 859-864 871-876",
    "XXI": "2501-2546 2548 2551 2552 3001-3044 3501-3530",
}

# Boat type name -> flotilla identifier -> the boats that sailed with that flotilla.
FLOTILLA_BOATS = {
    "IIA": {660: "1-6"},
    "IIB": {660: "7-24"},
    "IIC": {660: "56-63"},
    "IID": {660: "137-143"},
    "VIIB": {
        660: "83 84 86",
        661: "27-36",
        662: "85",
        663: "45-55 73-76 99-102",
        668: "73-75 83",
    },
    "VIIC": {
        660: "201-203 207 208 211 212 253 256 262 265 267 271 305 306 336 353 381-384 390 394 401 415"
             " 425 436 441 445 557 558 563 564 566 582 603 614 619 632 643 653 654 663 664 707 737",
        662: "134 205 206 257 258 333 341 373 375 376 378 433 466 469 553 568-573 592 600 608 634"
             " 666 731 753 757-759 981 993",
        663: "69-71 77 93-98 224 225 227 264 265 267 285 304 310 332 359 406 410 432 434 438 551 552"
             " 575-578 581 588 593 594 596 597 607 615 617 618 621 630 641 650 667 714 735 760 762-764"
             " 766 962",
        664: "89-92 210 230 254 260 263 273 279 280 282 308 341 356 365 377 379 388 404 407 409 413"
             " 421 424 426 444 446 448 450 484 618 637 659 705 709 765 921 925 927 970 984 989",
        666: "88 212 251 255 277 286 287 288 302 307 312-314 334 344 347 354 355 360-362 365 387 394"
             " 405 408 425 427 456 457 586 589 601 622 625 636 639 644 646 655 657 668 673 677 703"
             " 711 713 716 737 739 742 771-773 956 957 965 968 992",
        668: "77 79 81 97 205 223 230 259 331 371 372 374 375 380 407 409 410 414 421 431 433 443 450"
             " 453 466 471 557 559 561 562 565 593 596 602 605 616 617 642 652 660 952 967 969",
        669: "245 287 363 368 370 396 398 481 483 485 486 637 680 714 722 775 776 778 901 905 907"
             " 956 979 1055 1058",
    },
    "VIIC/41": {
        664: "963",
        666: "295 299 318 319 325 327 994 995 997 1004 1005 1009 1014 1017 1020 1023 1024 1063 1064"
             " 1165",
        669: "293 294 298 300 320-324 326 328 827 828 1001-1003 1007 1008 1010 1013 1019 1021 1022"
             " 1025 1103-1110 1163 1164 1168-1172 1271-1279 1301-1308",
    },
    "VIIC/42": {666: "699 700 783-790", 669: "1069-1080"},
    "IXA": {661: "37-44"},
    "IXB": {661: "64 65 103-111 122-124"},
    "IXC": {
        661: "66-68 125-131 153 154 156 158 161 162 502-505 518-522",
        665: "155 159 160 163 164 166 171-176 506-517 523 524",
    },
    "IXC/40": {
        661: "190 191 536 538-543 545 546 548 550 853 857 866 868 869 880 881 1221-1235",
        665: "167 169 170 185-187 189 192 193 526-531 534 535 544 547 549 801 802 804 805 842 845 856",
        667: "168 183 188 527 532 533 537 843",
    },
    "IXD2": {667: "177-179 181 182 196-200 847-852 859-863 871 874 875"},
    "XXI": {
        666: "2502 2506 2511 2513 2518 3008 3017 3035 3041",
        669: "2501 2503-2505 2507-2510 2512 2514-2517 2519-2546 2548 2551 2552 3001-3007 3009-3016"
             " 3018-3034 3036-3040 3042-3044",
    },
}

# Longest value the program's profile layer returns in full.
MAX_VALUE = 2047


def comma_text(boats: list[int]) -> str:
    return ",".join(str(n) for n in boats)


def numbers_cfg() -> list[str]:
    lines = [
        "; U-boat numbers offered for a new career.",
        ";",
        "; One section per boat type, named exactly as the game names the type's version in its",
        "; Basic.cfg (the name shown in the U-boat type list, without the word \"Type\").",
        "; Key: the flotilla identifier from the game's Flotilla.cfg; value: the boat numbers that",
        "; flotilla offers for that type, separated by commas. ALL lists the boats of the type.",
        "; A type or flotilla without a line offers no numbers: the game then picks one.",
        "; Keep each value below 2048 characters.",
        ";",
        "; Flotilla identifiers:",
    ]
    lines += [f";   {fid} = {name}" for fid, name in FLOTILLAS.items()]
    lines.append("")
    for type_name, all_text in ALL_BOATS.items():
        per_flotilla = FLOTILLA_BOATS.get(type_name, {})
        everything = set(numbers(all_text))
        lines.append(f"[{type_name}]")
        for fid, text in per_flotilla.items():
            assert fid in FLOTILLAS, fid
            boats = numbers(text)
            assert len(set(boats)) == len(boats), f"{type_name} {fid}: duplicate boat"
            everything.update(boats)
            value = comma_text(sorted(boats))
            assert len(value) <= MAX_VALUE
            lines.append(f"{fid}={value}")
        value = comma_text(sorted(everything))
        assert len(value) <= MAX_VALUE, f"{type_name}: ALL is {len(value)} characters"
        lines.append(f"ALL={value}")
        lines.append("")
    return lines


# --- Availability ----------------------------------------------------------------------------

# [SUBMARINE<n>] of Basic.cfg: comment, then (name, year, month) of each version: the month in
# which the first boats of the version were ready for patrols.
SUBMARINES = [
    ("Type II, coastal boats", [("IIA", 1939, 1), ("IIB", 1939, 1), ("IIC", 1939, 1), ("IID", 1940, 7)]),
    ("Type VII", [("VIIB", 1939, 1), ("VIIC", 1940, 10), ("VIIC/41", 1944, 1), ("VIIC/42", 1945, 1)]),
    ("Type IX, ocean-going boats",
     [("IXA", 1939, 1), ("IXB", 1940, 4), ("IXC", 1941, 3), ("IXC/40", 1942, 10), ("IXD2", 1942, 9)]),
    ("Type XXI, electro-boats", [("XXI", 1945, 3)]),
]

# Per-flotilla exceptions: (section number, flotilla identifier) -> {key: value}.
OVERRIDES = {
    # The Mediterranean boats stayed VIIB and VIIC: the later versions never reached the 29th.
    (1, 668): {"NbVersion": "2"},
    # Norway received the VIIC/41 later than the Atlantic bases, and the first XXI patrol sailed
    # from Bergen only in the last weeks of the war.
    (1, 666): {"Year2": "1944", "Month2": "5"},
    (3, 666): {"Year0": "1945", "Month0": "4"},
    # The 33rd at Flensburg, next to the yards, took the newest boats first.
    (1, 669): {"Year3": "1944", "Month3": "12"},
    (3, 669): {"Year0": "1945", "Month0": "1"},
    # The 10th at Lorient received the IXC/40 a few months after the others.
    (2, 665): {"Year3": "1943", "Month3": "1"},
}


def availability_cfg() -> list[str]:
    lines = [
        "; U-boat availability, read instead of the game's Basic.cfg when the option to use",
        "; Seewolf's U-boat dates is on.",
        ";",
        "; Sections and names as in Basic.cfg: NbVersion is the number of versions of the type;",
        "; Name<i>, Year<i> and Month<i> name version i and the month from which it is offered.",
        "; A flotilla can have its own value: put its identifier and \"_\" in front of the key,",
        "; for example 666_Year0=1945 (NbVersion, Year, Month and Name can be overridden).",
        "; A key that is missing here is taken from the game's Basic.cfg.",
        ";",
        "; Flotilla identifiers:",
    ]
    lines += [f";   {fid} = {name}" for fid, name in FLOTILLAS.items()]
    lines.append("")
    for index, (comment, versions) in enumerate(SUBMARINES):
        lines.append(f"[SUBMARINE{index}]")
        lines.append(f"NbVersion={len(versions)} ; {comment}")
        for i, (name, year, month) in enumerate(versions):
            assert name in ALL_BOATS, name
            lines += [f"Name{i}={name}", f"Year{i}={year}", f"Month{i}={month}"]
        for (section, fid), keys in OVERRIDES.items():
            if section == index:
                lines += [f"{fid}_{key}={value}" for key, value in keys.items()]
        lines.append("")
    return lines


def main() -> None:
    CFG.mkdir(parents=True, exist_ok=True)
    first = words(FIRST_NAMES)
    last = words(LAST_NAMES)
    towns = places(PLACES)
    assert len(first) >= 150 and len(last) >= 300 and len(towns) >= 100, (len(first), len(last), len(towns))
    write_lines(CFG / "Names_first.lst", first)
    write_lines(CFG / "Names_last.lst", last)
    write_lines(CFG / "Names_places.lst", towns)
    (CFG / "U-boat numbers.cfg").write_bytes("\r\n".join(numbers_cfg()).encode("cp1252"))
    (CFG / "U-boat availability.cfg").write_bytes("\r\n".join(availability_cfg()).encode("cp1252"))
    print(f"first names {len(first)}, last names {len(last)}, places {len(towns)}")


if __name__ == "__main__":
    main()
