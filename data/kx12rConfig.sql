-- The service database of the configurator: schema and the rows it ships with.
-- The build turns this file into kx12rConfig.db beside the programs.
PRAGMA encoding = 'UTF-8';

-- Code formats: the ways a reader can write a card's code.
CREATE TABLE CodeVariantsTable (
  KEY INTEGER PRIMARY KEY AUTOINCREMENT,
  ID INTEGER,
  NAME TEXT,
  DESCRIPTION TEXT
);

-- Keys a reader can send after the code, in display order.
CREATE TABLE CodeEndingTable (
  END_ORDER INTEGER PRIMARY KEY AUTOINCREMENT,
  CHR_CODE INTEGER,
  KEY_NAME TEXT
);

-- Users whose passwords open the special-settings page.
CREATE TABLE UsersTable (
  KEY INTEGER PRIMARY KEY AUTOINCREMENT,
  USER_NAME TEXT,
  USER_PWD TEXT
);

-- Named setup parameters.
CREATE TABLE SetupTable (
  P_NAME TEXT NOT NULL,
  P_CAPTION TEXT,
  P_VAL TEXT,
  P_NOTE TEXT
);

INSERT INTO CodeVariantsTable (ID, NAME, DESCRIPTION) VALUES
  (0, 'RAW_HEX', 'Полный код метки без преобразования, 10 шестнадцатеричных цифр. Только считыватели 00DF с ПО v1.84 и выше.'),
  (1, '5x8b_DEC', 'Пять байтов кода метки, каждый тремя десятичными цифрами (15 цифр).'),
  (2, '40b_DEC', 'Все 40 бит кода метки одним десятичным числом (13 цифр).'),
  (3, '32b_DEC', 'Младшие 32 бита кода метки одним десятичным числом (10 цифр).'),
  (4, '40bm_DEC', '40 бит кода метки в обратном порядке бит одним десятичным числом (13 цифр).'),
  (5, '40b_HEX', 'Все 40 бит кода метки шестнадцатеричным числом (10 цифр).'),
  (6, '32b_HEX', 'Младшие 32 бита кода метки шестнадцатеричным числом (8 цифр).'),
  (7, '24b_DEC', 'Младшие 24 бита кода метки одним десятичным числом (8 цифр).'),
  (8, 'W26_DEC', 'Формат Wiegand-26: код серии (3 цифры) и номер метки (5 цифр) подряд.'),
  (9, 'W26c_DEC', 'Формат Wiegand-26 через запятую: код серии, запятая, номер метки (123,45678).'),
  (10, '16b_DEC', 'Младшие 16 бит кода метки одним десятичным числом (5 цифр).'),
  (11, 'W34_DEC', 'Формат Wiegand-34: 32 бита данных одним десятичным числом (10 цифр).'),
  (12, '32bm_DEC', 'Младшие 32 бита кода метки в обратном порядке байтов десятичным числом (10 цифр).');

INSERT INTO CodeEndingTable (CHR_CODE, KEY_NAME) VALUES
  (13, 'Enter'),
  (9, 'Tab'),
  (32, 'Space'),
  (10, 'Ctrl+Enter'),
  (27, 'Esc'),
  (8, 'Backspace'),
  (0, 'Нет');

INSERT INTO UsersTable (USER_NAME, USER_PWD) VALUES
  ('Администратор', 'kx12r-admin');

INSERT INTO SetupTable (P_NAME, P_CAPTION, P_VAL, P_NOTE) VALUES
  ('CARDS_ADVERTISING_URL', 'Карты и брелоки для считывателя «KX12R»', 'https://salvion.ru/cards/',
   'Страница, открываемая ссылкой на странице специальных настроек.');
